// Writing the replay state.
#include "replay/game_state_json.h"

#include <cstring>

#include "replay/json_writer.h"

namespace varnholt::replay {

using app::ExitReason;
using app::Game;
using app::LoopResult;

namespace {

void writeCharacter(JsonWriter& json, const Character& c) {
  json.beginObject();
  json.key("id").value(c.id);
  json.key("name").value(std::string_view(c.name, strnlen(c.name, sizeof c.name)));
  json.key("side").value(c.side);
  json.key("level").value(c.level);
  json.key("exp").value(c.exp);
  json.key("strength").value(c.strength);
  json.key("vitality").value(c.vitality);
  json.key("dexterity").value(c.dexterity);
  json.key("intelligence").value(c.intelligence);
  json.key("agility").value(c.agility);
  json.key("mind").value(c.mind);
  json.key("hp").value(c.hp);
  json.key("sp").value(c.sp);
  json.key("maxHp").value(c.maxHp);
  json.key("maxSp").value(c.maxSp);
  json.key("ap").value(c.ap);
  json.key("atk").value(c.atk);
  json.key("matk").value(c.matk);
  json.key("def").value(c.def);
  json.key("mdef").value(c.mdef);
  json.key("hit").value(c.hit);
  json.key("flee").value(c.flee);
  json.key("aspd").value(c.aspd);
  json.key("moveRange").value(c.moveRange);
  json.key("column").value(c.column);
  json.key("row").value(c.row);
  json.key("spriteSlot").value(c.spriteSlot);
  json.key("statusFlags").beginArray();
  for (unsigned char flag : c.statusFlags) json.value(static_cast<int>(flag));
  json.endArray();
  json.key("skills").beginArray();
  for (int i = 0; i < c.skills.count(); ++i) json.value(c.skills.at(i));
  json.endArray();
  json.key("equipment").beginArray();
  for (int item : c.equipment) json.value(item);
  json.endArray();
  json.endObject();
}

template <typename List>
void writeCharacters(JsonWriter& json, const List& list) {
  json.beginArray();
  for (int i = 0; i < list.count(); ++i) writeCharacter(json, list.at(i));
  json.endArray();
}

template <typename List>
void writeCells(JsonWriter& json, const List& cells) {
  json.beginArray();
  for (int i = 0; i < cells.count(); ++i) {
    const GridPos cell = cells.at(i);
    json.beginArray().value(cell.column).value(cell.row).endArray();
  }
  json.endArray();
}

}  // namespace

void writeGameState(std::ostream& out, const Game& game, const LoopResult& result) {
  const GameFlowState& flow = game.flow();
  const Battle& battle = game.battle();
  JsonWriter json(out);
  json.beginObject();
  json.key("frames").value(result.frames);
  json.key("exit").value(result.reason == ExitReason::Stuck ? "running" : app::exitReasonName(result.reason));
  json.key("screenState").value(toNumber(flow.screenState));
  json.key("battleNumber").value(battle.battleNumber);
  json.key("battleState").value(battle.state);
  json.key("partyCount").value(flow.partyCount);
  json.key("messageText")
      .value(std::string_view(flow.messageText, strnlen(flow.messageText, sizeof flow.messageText)));
  json.key("cursor").beginObject();
  json.key("x").value(flow.cursorX());
  json.key("y").value(flow.cursorY());
  json.key("frame").value(flow.cursorFrame());
  json.endObject();
  json.key("cursorMode").value(toNumber(flow.cursorMode));
  json.key("battleCommand").value(toNumber(flow.battleCommand));
  json.key("skillPickRequest").value(toNumber(flow.skillPickRequest));
  json.key("selectedSkill").value(flow.selectedSkill);
  json.key("gridColumn").value(flow.gridColumn);
  json.key("gridRow").value(flow.gridRow);
  json.key("moveTargetX").value(flow.moveTargetX);
  json.key("moveTargetY").value(flow.moveTargetY);
  json.key("unitWalking").value(battle.unitWalking);
  json.key("effectShowing").value(battle.effectShowing);
  json.key("effectFrame").value(battle.effectFrame);
  json.key("spriteCount").value(battle.spriteCount);
  json.key("randomDraws").value(static_cast<long long>(game.random().drawCount()));
  json.key("acting");
  writeCharacter(json, battle.acting);
  json.key("units");
  writeCharacters(json, battle.units);
  json.key("roster");
  writeCharacters(json, flow.roster);
  json.key("moveCells");
  writeCells(json, battle.moveCells);
  json.key("targetCells");
  writeCells(json, battle.targetCells);
  json.key("unitSprites").beginArray();
  for (int slot = 0; slot < battle.spriteCount && slot < kUnitSpriteSlots; ++slot) {
    const Sprite& sprite = battle.unitSprites[slot];
    json.beginObject();
    json.key("x").value(sprite.x);
    json.key("y").value(sprite.y);
    json.key("frame").value(sprite.currentFrame);
    json.key("visible").value((sprite.attributes & SPRITE_VISIBLE) != 0);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  out << '\n';
}

}  // namespace varnholt::replay
