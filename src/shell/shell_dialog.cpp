// The shell's dialogs over the last presented picture, and the quit that asks.
#include "shell/shell_dialog.h"

#include <algorithm>
#include <cstring>

#include "app/frame_stop.h"
#include "shell/options_menu.h"

namespace varnholt::shell {
namespace {

// The picture shown when the game has presented nothing yet.
constexpr int kBlankWidth = 800;
constexpr int kBlankHeight = 600;

constexpr int kPadding = 16;   // box edge to its text
constexpr int kRowGap = 6;     // between two choices
constexpr int kTitleGap = 10;  // title to the first choice
constexpr int kBorder = 2;
constexpr int kMinWidth = 240;

void fillRect(std::vector<std::uint8_t>& pixels, int width, int height, platform::FrameRect rect,
              std::uint8_t index) {
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, width);
  rect.bottom = std::min(rect.bottom, height);
  for (int y = rect.top; y < rect.bottom; ++y) {
    std::fill(pixels.begin() + y * width + rect.left, pixels.begin() + y * width + rect.right, index);
  }
}

void drawMask(std::vector<std::uint8_t>& pixels, int width, int height, const platform::TextMask& mask, int x,
              int y, std::uint8_t index) {
  for (int row = 0; row < mask.height; ++row) {
    const int py = y + row;
    if (py < 0 || py >= height) continue;
    for (int col = 0; col < mask.width; ++col) {
      const int px = x + col;
      if (px < 0 || px >= width) continue;
      if (mask.ink[static_cast<std::size_t>(row * mask.width + col)] != 0) {
        pixels[static_cast<std::size_t>(py * width + px)] = index;
      }
    }
  }
}

int textWidth(platform::TextRasterizer* text, std::string_view line) {
  if (text == nullptr) return 0;
  const platform::TextMask* mask = text->renderKept(line);
  return mask != nullptr ? mask->width : 0;
}

}  // namespace

std::uint8_t nearestIndex(const platform::PaletteEntry* palette, const platform::PaletteEntry& colour) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 256; ++i) {
    const long dr = palette[i].red - colour.red;
    const long dg = palette[i].green - colour.green;
    const long db = palette[i].blue - colour.blue;
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return static_cast<std::uint8_t>(best);
}

bool ShellDialog::present(const platform::Frame& frame) {
  if (frame.pixels != nullptr && frame.palette != nullptr && frame.width > 0 && frame.height > 0 &&
      frame.pitch >= frame.width) {
    platform::keepFrame(kept_, frame);
  }
  return inner().present(frame);
}

void ShellDialog::presentKept() {
  if (kept_.pixels.empty()) return;
  platform::Frame frame;
  frame.pixels = kept_.pixels.data();
  frame.width = kept_.width;
  frame.height = kept_.height;
  frame.pitch = kept_.width;
  frame.palette = kept_.palette.data();
  inner().present(frame);
}

void ShellDialog::compose(std::string_view title, const std::vector<std::string>& choices, int highlight) {
  int width = kept_.width;
  int height = kept_.height;
  platform::PaletteEntry palette[256];
  if (kept_.pixels.empty()) {
    // Nothing shown yet: a black picture, with the dialog's own colours in the palette.
    width = kBlankWidth;
    height = kBlankHeight;
    composed_.assign(static_cast<std::size_t>(width * height), 0);
    const DialogColours colours;
    palette[1] = colours.fill;
    palette[2] = colours.border;
    palette[3] = colours.text;
    palette[4] = colours.highlight;
    palette[5] = colours.highlightText;
  } else {
    composed_ = kept_.pixels;
    std::copy(kept_.palette.begin(), kept_.palette.end(), palette);
  }
  platform::TextRasterizer* text = inner().textRasterizer();
  layout_ = layoutDialog(width, height, text, title, choices);
  const DialogLayout& layout = layout_;
  const DialogColours colours;
  const std::uint8_t fill = nearestIndex(palette, colours.fill);
  const std::uint8_t border = nearestIndex(palette, colours.border);
  const std::uint8_t ink = nearestIndex(palette, colours.text);
  const std::uint8_t bar = nearestIndex(palette, colours.highlight);
  const std::uint8_t barInk = nearestIndex(palette, colours.highlightText);

  fillRect(composed_, width, height, layout.box, border);
  const platform::FrameRect inside{layout.box.left + kBorder, layout.box.top + kBorder,
                                   layout.box.right - kBorder, layout.box.bottom - kBorder};
  fillRect(composed_, width, height, inside, fill);
  // Text is centred in the box; a line wider than the box starts at its left edge, so at least its
  // beginning shows.
  const int centre = (layout.box.left + layout.box.right) / 2;
  const auto left = [&](const platform::TextMask& mask) {
    return std::max(centre - mask.width / 2, layout.box.left + kBorder);
  };
  if (text != nullptr) {
    if (const platform::TextMask* mask = text->renderKept(title)) {
      drawMask(composed_, width, height, *mask, left(*mask), layout.titleTop, ink);
    }
  }
  for (std::size_t i = 0; i < choices.size(); ++i) {
    const platform::FrameRect& row = layout.rows[i];
    const bool lit = static_cast<int>(i) == highlight;
    if (lit) {
      fillRect(composed_, width, height, row, bar);
      // A marker at the bar's left end, so the highlight reads even where the bar's colour does not.
      fillRect(composed_, width, height, {row.left + 4, row.top + 4, row.left + 8, row.bottom - 4}, barInk);
    }
    if (text == nullptr) continue;
    if (const platform::TextMask* mask = text->renderKept(choices[i])) {
      drawMask(composed_, width, height, *mask, left(*mask), row.top + kRowGap / 2, lit ? barInk : ink);
    }
  }

  platform::Frame frame;
  frame.pixels = composed_.data();
  frame.width = width;
  frame.height = height;
  frame.pitch = width;
  frame.palette = palette;
  inner().present(frame);
}

DialogLayout layoutDialog(int width, int height, platform::TextRasterizer* text, std::string_view title,
                          const std::vector<std::string>& choices) {
  const int line = text != nullptr ? text->lineHeight() : 15;
  int widest = textWidth(text, title);
  for (const std::string& choice : choices) widest = std::max(widest, textWidth(text, choice));
  const int boxWidth = std::min(std::max(kMinWidth, widest + 4 * kPadding), width);
  const int rowHeight = line + kRowGap;
  const int boxHeight =
      std::min(2 * kPadding + line + kTitleGap + static_cast<int>(choices.size()) * rowHeight, height);
  DialogLayout layout;
  layout.box.left = (width - boxWidth) / 2;
  layout.box.top = (height - boxHeight) / 2;
  layout.box.right = layout.box.left + boxWidth;
  layout.box.bottom = layout.box.top + boxHeight;
  layout.titleTop = layout.box.top + kPadding;
  int top = layout.titleTop + line + kTitleGap;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    layout.rows.push_back(
        {layout.box.left + kPadding / 2, top, layout.box.right - kPadding / 2, top + rowHeight});
    top += rowHeight;
  }
  return layout;
}

void ShellDialog::look(std::vector<std::uint8_t>& pressed) {
  // The snapshot first: the events taken after it are as new as it is or newer, and say more.
  std::uint8_t state[256];
  const bool read = inner().readKeyboard(state);
  std::vector<platform::KeyEvent> events;
  inner().takeKeyEvents(events);
  std::array<bool, 256> told{};
  const std::size_t firstUp = pending_.size();
  for (const platform::KeyEvent& event : events) {
    told[event.code] = true;
    if (event.down) {
      if (!down_[event.code]) pressed.push_back(event.code);
      down_[event.code] = true;
    } else {
      down_[event.code] = false;
      // A key the game saw go down learns that it came up; an up of a key it did not see is harmless.
      pending_.push_back(event);
    }
  }
  screen(pending_, firstUp);
  if (!read) return;
  for (int code = 1; code < 256; ++code) {
    const auto index = static_cast<std::size_t>(code);
    if (told[index]) continue;
    const bool down = state[code] != 0;
    if (down && !down_[index]) pressed.push_back(static_cast<std::uint8_t>(code));
    down_[index] = down;
  }
}

int ShellDialog::rowAt(const platform::PointerEvent& event) const {
  if (!event.inside) return -1;
  for (std::size_t i = 0; i < layout_.rows.size(); ++i) {
    const platform::FrameRect& row = layout_.rows[i];
    if (event.x >= row.left && event.x < row.right && event.y >= row.top && event.y < row.bottom) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void ShellDialog::keepPointerEvent(const platform::PointerEvent& event) {
  const auto button = static_cast<std::size_t>(event.button);
  if (button < pointerHeldAbove_.size()) {
    if (event.kind == platform::PointerEvent::Kind::Press) pointerHeldAbove_[button] = true;
    if (event.kind == platform::PointerEvent::Kind::Release) pointerHeldAbove_[button] = false;
  }
  pendingPointer_.push_back(event);
  if (pendingPointer_.size() > kEventLimit) {
    pendingPointer_.erase(pendingPointer_.begin(),
                          pendingPointer_.end() - static_cast<std::ptrdiff_t>(kEventLimit));
  }
}

void ShellDialog::takePointerEvents(std::vector<platform::PointerEvent>& events) {
  std::vector<platform::PointerEvent> taken;
  inner().takePointerEvents(taken);
  for (const platform::PointerEvent& event : taken) keepPointerEvent(event);
  events.insert(events.end(), pendingPointer_.begin(), pendingPointer_.end());
  pendingPointer_.clear();
}

void ShellDialog::setPointerEnabled(bool enabled) {
  pointerEnabled_ = enabled;
  if (!enabled && pointerShown_) {
    inner().setMousePointerShown(false);
    pointerShown_ = false;
  }
}

int ShellDialog::askFrom(std::string_view title, const std::vector<std::string>& choices, int cancel,
                         int highlight) {
  ++asked_;
  if (choices.empty()) return cancel;
  const int last = static_cast<int>(choices.size()) - 1;
  if (highlight < 0 || highlight > last) highlight = 0;
  int answer = kClosed;
  try {
    // What is down as the question opens does not answer it until it has been let go and pressed again;
    // the pointer's events from before it are the layers' above.
    takeInnerEvents();
    {
      std::vector<platform::PointerEvent> before;
      inner().takePointerEvents(before);
      for (const platform::PointerEvent& event : before) keepPointerEvent(event);
    }
    std::uint8_t state[256];
    if (inner().readKeyboard(state)) {
      for (int code = 0; code < 256; ++code) down_[static_cast<std::size_t>(code)] = state[code] != 0;
    } else {
      down_.fill(false);
    }
    takeInnerEvents();
    compose(title, choices, highlight);
    std::vector<std::uint8_t> pressed;
    std::vector<platform::PointerEvent> pointer;
    bool shownHere = false;  // this question showed the mouse pointer
    while (answer == kClosed) {
      if (inner().quitRequested()) break;
      inner().waitUntil(inner().ticks() + kStepMs);
      pressed.clear();
      look(pressed);
      pointer.clear();
      inner().takePointerEvents(pointer);
      const int before = highlight;
      for (const std::uint8_t code : pressed) {
        if (code == platform::DIK_UP || code == platform::DIK_LEFT) {
          highlight = highlight == 0 ? last : highlight - 1;
        } else if (code == platform::DIK_DOWN || code == platform::DIK_RIGHT) {
          highlight = highlight == last ? 0 : highlight + 1;
        } else if (code == platform::DIK_RETURN || code == platform::DIK_NUMPADENTER) {
          answer = highlight;
          break;
        } else if (code == platform::DIK_ESCAPE || code == platform::DIK_BACK) {
          answer = std::clamp(cancel, 0, last);
          break;
        }
      }
      for (const platform::PointerEvent& event : pointer) {
        using Kind = platform::PointerEvent::Kind;
        // The layers above learn that a button they saw go down came up, and that the pointer left.
        const auto button = static_cast<std::size_t>(event.button);
        if ((event.kind == Kind::Release && button < pointerHeldAbove_.size() && pointerHeldAbove_[button]) ||
            event.kind == Kind::Leave) {
          keepPointerEvent(event);
          continue;
        }
        if (!pointerEnabled_ || answer != kClosed) continue;
        const int row = rowAt(event);
        if (event.kind == Kind::Move) {
          // Once a question: the layers above may have hidden the pointer since the last one.
          if (!event.touch && !shownHere) {
            inner().setMousePointerShown(true);
            pointerShown_ = true;
            shownHere = true;
          }
          if (row >= 0) highlight = row;
        } else if (event.kind == Kind::Press) {
          if (event.button == platform::PointerButton::Secondary) {
            answer = std::clamp(cancel, 0, last);
          } else if (event.button == platform::PointerButton::Primary && row >= 0) {
            answer = row;
          }
        }
      }
      if (answer == kClosed && highlight != before) compose(title, choices, highlight);
    }
  } catch (const app::FrameStop&) {
    answer = kClosed;
  }
  // The keys still down stay the dialog's until they are let go; their presses from before it opened go
  // with them.
  for (std::size_t code = 0; code < 256; ++code) hidden_[code] = hidden_[code] || down_[code];
  std::erase_if(pending_, [&](const platform::KeyEvent& event) { return event.down && hidden_[event.code]; });
  down_.fill(false);
  if (answer != kClosed && !chained_ && !restorePicture()) answer = kClosed;
  return answer;
}

bool ShellDialog::restorePicture() {
  try {
    presentKept();
  } catch (const app::FrameStop&) {
    return false;
  }
  return true;
}

void ShellDialog::takeInnerEvents() {
  const std::size_t first = pending_.size();
  inner().takeKeyEvents(pending_);
  screen(pending_, first);
  if (pending_.size() > kEventLimit) {
    pending_.erase(pending_.begin(), pending_.end() - static_cast<std::ptrdiff_t>(kEventLimit));
  }
}

void ShellDialog::takeKeyEvents(std::vector<platform::KeyEvent>& events) {
  takeInnerEvents();
  for (const platform::KeyEvent& event : pending_) {
    if (hidden_[event.code]) {
      if (event.down) continue;
      hidden_[event.code] = false;
    }
    events.push_back(event);
  }
  pending_.clear();
}

bool ShellDialog::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = inner().readKeyboard(state);
  if (!ok) return ok;
  for (std::size_t code = 0; code < 256; ++code) {
    if (!hidden_[code]) continue;
    if (state[code] == 0) {
      hidden_[code] = false;
    } else {
      state[code] = 0;
    }
  }
  return ok;
}

bool ShellDialog::isKeyDown(platform::DirectKey key) {
  const bool down = inner().isKeyDown(key);
  bool anyHidden = false;
  for (int code = 0; code < 256; ++code) {
    if (!hidden_[static_cast<std::size_t>(code)] || !platform::directKeyHas(key, code)) continue;
    anyHidden = true;
    if (!down) hidden_[static_cast<std::size_t>(code)] = false;
  }
  return down && !anyHidden;
}

// The quit that asks.

void QuitDialog::see(int slot, bool down) {
  const auto index = static_cast<std::size_t>(slot);
  if (down && !quitDown_[index]) quitPressed_ = true;
  quitDown_[index] = down;
}

void QuitDialog::screen(std::vector<platform::KeyEvent>& events, std::size_t from) {
  auto first = events.begin() + static_cast<std::ptrdiff_t>(from);
  for (auto it = first; it != events.end(); ++it) {
    if (it->code == platform::DIK_ESCAPE) see(0, it->down);
    if (it->code == platform::DIK_SPACE) see(1, it->down);
  }
  events.erase(std::remove_if(first, events.end(),
                              [](const platform::KeyEvent& event) {
                                return event.code == platform::DIK_ESCAPE ||
                                       event.code == platform::DIK_SPACE;
                              }),
               events.end());
}

void QuitDialog::lookBetweenFrames() {
  // A quit from outside goes through at once: nothing is read that would stop on it.
  if (inner().quitRequested()) return;
  try {
    takeInnerEvents();
    see(0, inner().isKeyDown(platform::DirectKey::Escape));
    see(1, inner().isKeyDown(platform::DirectKey::Space));
  } catch (const app::FrameStop&) {
    // The quit message the backend gives now ends the game.
  }
}

platform::Message QuitDialog::peekMessage() {
  // The backend's message first: taking it begins the new frame for the layers below too (the holds a
  // press may end cut only the waits of their own frame), so the question's waits sleep as any other.
  const platform::Message message = inner().peekMessage();
  lookBetweenFrames();
  if (message == platform::Message::None && quitPressed_ && !inner().quitRequested()) {
    quitPressed_ = false;
    const int answer = askToQuit();
    // A quit key that answered is still down, or was let go while the dialog read the keys.
    quitDown_ = {hidden(platform::DIK_ESCAPE), hidden(platform::DIK_SPACE)};
    if (answer == kQuit) {
      handOver_ = true;
      handOverEvent_ = true;
    }
  }
  return message;
}

int QuitDialog::askToQuit() {
  std::vector<std::string> choices{"Quit", "Keep playing"};
  if (options_ == nullptr) return ask("Quit Varnholt?", choices, kKeepPlaying);
  choices.push_back("Options");
  // The questions follow one another over the same picture; the game's comes back at the end.
  setChained(true);
  int answer = kClosed;
  int highlight = kQuit;
  for (;;) {
    answer = askFrom("Quit Varnholt?", choices, kKeepPlaying, highlight);
    if (answer != kOptions) break;
    if (options_->run(*this) == kClosed) {
      answer = kClosed;
      break;
    }
    highlight = kOptions;
  }
  setChained(false);
  if (answer != kClosed && !restorePicture()) answer = kClosed;
  return answer;
}

bool QuitDialog::readKeyboard(std::uint8_t (&state)[256]) {
  const bool ok = ShellDialog::readKeyboard(state);
  if (!ok) return ok;
  see(0, state[platform::DIK_ESCAPE] != 0 || hidden(platform::DIK_ESCAPE));
  see(1, state[platform::DIK_SPACE] != 0 || hidden(platform::DIK_SPACE));
  state[platform::DIK_ESCAPE] = 0;
  state[platform::DIK_SPACE] = 0;
  return ok;
}

bool QuitDialog::isKeyDown(platform::DirectKey key) {
  if (key == platform::DirectKey::Return) return ShellDialog::isKeyDown(key);
  const bool escape = key == platform::DirectKey::Escape;
  see(escape ? 0 : 1, inner().isKeyDown(key));
  if (escape && handOver_) {
    handOver_ = false;
    return true;
  }
  return false;
}

void QuitDialog::takeKeyEvents(std::vector<platform::KeyEvent>& events) {
  ShellDialog::takeKeyEvents(events);
  if (handOverEvent_) {
    // The game's quit key as a press, for a key layer that reads presses from the events.
    handOverEvent_ = false;
    const std::uint32_t now = inner().ticks();
    events.push_back({platform::DIK_ESCAPE, true, now});
    events.push_back({platform::DIK_ESCAPE, false, now});
  }
}

}  // namespace varnholt::shell
