// Attacks and skills: the attack command and its blow, the skill command and its effect.

#include "battle/battle.h"
#include "battle/combat_formulas.h"
#include "data/campaign_pictures.h"

namespace varnholt {

// A weapon number without a swing keeps the swing shown last, so no empty animation slot is ever read.
void Battle::setSwingAnimation(int weapon) {
  if (weapon >= pictures::swings::kFirstWeapon && weapon <= pictures::swings::kLastWeapon)
    setSpriteAnimation(swordSprite, weapon);
}

// An attack on a marked cell always ends the turn through the attack effect, even when the cell is empty
// or holds the attacker (then no blow is struck and no AP is paid).
bool Battle::attack(int column, int row) {
  if (targetCells.find(GridPos{column, row}) < 0) return false;
  effectShowing = 1;
  setSwingAnimation(acting.weapon());
  state = kStateAttackEffect;
  resolveAttack(occupancy(column, row));
  flow_.cursorMode = CursorMode::CommandBar;
  flow_.cursorToCommandBar();
  writeBackActing();
  return true;
}

// The blow draws five numbers: the hit roll, then the four status rolls, hit or miss.
void Battle::resolveAttack(int targetId) {
  if (targetId == 0) return;
  const int index = units.findId(targetId);
  if (index < 0) return;
  Character target = units.at(index);
  if (target.id == acting.id) return;

  const int damage = blowDamage(acting, target);
  const int roll = rollPercent(random_);
  if (blowHits(acting.hit, target.flee, roll)) {
    target.hp = subtractSaturated(target.hp, damage);
    setSpriteAnimation(hitSprite, 0);
  } else {
    setSpriteAnimation(hitSprite, 1);
  }
  rollStatusInfliction(acting, target, random_);
  writeBack(target);
  acting.ap -= 50;
  state = kStateAttackEffect;
  effectShowing = 1;
  setSpritePosition(swordSprite, unitPixelX(target.column), unitPixelY(target.row));
  setSpritePosition(hitSprite, hitPixelX(target.column), unitPixelY(target.row));
  showSprite(swordSprite);
}

// The cells a skill accepts are the range the skill list marked around the user joined by the diamond
// around the cell to its right, which is added again even when the set already holds it.
bool Battle::useSkill(int column, int row, int skillId) {
  const SkillRecord skill = database_.getSkill(skillId);
  const GridPos right{acting.column + 1, acting.row};
  fillTargetCells(right.column, right.row, skill.range);
  targetCells.add(right);
  if (targetCells.find(GridPos{column, row}) < 0) return false;

  // A skill whose end of turn brought the victory handling stops here: the battle it was used in is over
  // (and may already be replaced by the next one).
  if (applySkill(skillId, occupancy(column, row)) == SkillEffect::Victory) return true;

  acting.ap -= 75;
  // A user that its own HP cost defeated was removed at the end of the turn and stays removed.
  writeBackActing();
  effectShowing = 1;
  setSwingAnimation(acting.weapon());
  flow_.cursorMode = CursorMode::CommandBar;
  flow_.battleCommand = BattleCommand::None;
  flow_.cursorToCommandBar();
  return true;
}

SkillEffect Battle::applySkill(int skillId, int targetId) {
  if (targetId == 0) return SkillEffect::None;
  const SkillRecord skill = database_.getSkill(skillId);
  if (acting.sp < skill.spCost) {
    flow_.setMessage("Not Enough SP");
    return SkillEffect::None;
  }
  const bool onSelf = targetId == acting.id;
  Character target;
  if (onSelf) {
    target = acting;
  } else {
    const int index = units.findId(targetId);
    // An id that no combatant has is treated like an empty cell.
    if (index < 0) return SkillEffect::None;
    target = units.at(index);
  }

  // The costs go to the strengthened, healed or damaged copy when the user is its own target, so both
  // the effect and the costs reach it.
  Character& payer = onSelf ? target : acting;
  bool pays = true;
  switch (skill.kind) {
    case 1:
      // Held at the int range: a strengthening skill can be cast again and again on the same combatant.
      target.atk = addSaturated(target.atk, skill.atk);
      target.matk = addSaturated(target.matk, skill.matk);
      target.def = addSaturated(target.def, skill.def);
      target.mdef = addSaturated(target.mdef, skill.mdef);
      for (int k = 0; k < 6; ++k) {
        target.elementPower[k] += skill.elementPower[k];
        target.elementResist[k] += skill.elementResist[k];
      }
      break;
    case 3:
      target.hp = addSaturated(target.hp, healAmount(acting, skill, target));
      if (target.hp > target.maxHp) target.hp = target.maxHp;
      rollStatusCure(acting, target, random_);
      break;
    case 2:
      target.hp = subtractSaturated(target.hp, skillDamage(acting, skill, target));
      rollStatusInfliction(acting, target, random_);
      break;
    default:
      pays = false;
      break;
  }
  if (pays) {
    payer.hp = subtractSaturated(payer.hp, skill.hpCost);
    payer.sp = subtractSaturated(payer.sp, skill.spCost);
  }

  if (onSelf) {
    acting = target;
  } else {
    writeBack(target);
  }
  flow_.setMessage(" ");
  return endTurn() == TurnEnd::Victory ? SkillEffect::Victory : SkillEffect::TurnEnded;
}

}  // namespace varnholt
