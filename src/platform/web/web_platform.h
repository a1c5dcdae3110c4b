#pragma once
// The browser backend (Emscripten). The page owns the canvas and the keyboard listeners; this side
// converts the places of each frame that changed through a 256-entry RGBA table and hands just those
// to the canvas (an unchanged frame costs the page nothing), reads the keys the page keeps, and waits by
// handing control back to the browser (Asyncify: the game sleeps in a timer, nothing runs until the
// wait ends), so the game's own loop runs unchanged while the page stays responsive.
//
// With a virtual clock it keeps the headless runner's time instead (the same VirtualClock, from 0), so a
// key script replays exactly as natively.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/font/glyph_atlas.h"
#include "platform/kept_frame.h"
#include "platform/message_queue.h"
#include "platform/platform.h"
#include "platform/virtual_clock.h"

namespace varnholt::platform {

class WebPlatform : public Platform {
 public:
  // `atlasPath`: the glyph atlas of the game font in the virtual file system.
  WebPlatform(std::string atlasPath, bool virtualClock);

  bool openWindow(std::string_view title, int width, int height) override;
  void closeWindow() override {}
  void hideMousePointer() override;
  void setMousePointerShown(bool shown) override;

  Message peekMessage() override;
  void postMessage(Message message) override { messages_.post(message); }

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(DirectKey key) override;
  // The page's key changes and its mouse and touch events on the picture, stamped on ticks(). A replay's
  // virtual clock takes none: its keys come from the script.
  void takeKeyEvents(std::vector<KeyEvent>& events) override;
  void takePointerEvents(std::vector<PointerEvent>& events) override;

  std::uint32_t ticks() override;
  void waitUntil(std::uint32_t deadline) override;

  bool present(const Frame& frame) override;
  TextRasterizer* textRasterizer() override;
  const std::string& lastError() const override { return lastError_; }
  // A stop the page asked for is a quit from outside: the shell's questions close at once.
  bool quitRequested() override { return stopRequested(); }

  // Shows the latest frame even when a virtual clock skipped showing it.
  void showLatest();
  std::uint64_t presentCount() const { return presentCount_; }
  // Milliseconds of real time spent in waits (sleeping in the browser) so far.
  double waitedMilliseconds() const { return waited_; }
  // The page asked the game to stop (another campaign was picked): waits end at once, the next turn of
  // the loop sees the window's destroy message, and a wait for Enter or Escape ends.
  bool stopRequested() const;

 private:
  void show();
  // Nothing moves: the picture has stood still a while and no key is down (the real clock's `now`).
  bool idle(double now) const;
  void yieldNow();
  void yieldFor(unsigned milliseconds);
  // The ticks() of an event the page stamped at `pageMs` on its clock (performance.now()).
  std::uint32_t eventTicks(double pageMs);

  std::string atlasPath_;
  bool virtualClock_;
  VirtualClock clock_;
  MessageQueue messages_;
  std::unique_ptr<AtlasRasterizer> font_;
  bool fontFailed_ = false;
  std::string lastError_;

  int width_ = 0;
  int height_ = 0;
  KeptFrame kept_;  // the latest presented frame, and where it differs from what the canvas shows
  std::array<std::uint32_t, 256> rgba_{};  // the palette as canvas pixels
  std::array<PaletteEntry, 256> rgbaPalette_{};
  bool rgbaValid_ = false;
  std::vector<std::uint32_t> canvas_;  // what the canvas shows, as its RGBA pixels
  std::vector<std::int32_t> rects_;    // the places handed to the page: x, y, width, height each
  std::vector<double> taken_;          // events copied from the page
  std::uint64_t presentCount_ = 0;
  double lastYield_ = 0;
  int readsSinceYield_ = 0;
  bool stopPosted_ = false;
  double waited_ = 0;
  double stillSince_ = -1;  // when the picture last changed or a key was last seen down (real clock)
  double lead_ = 0;         // how far idle frames have run ahead of the real clock, in milliseconds
};

}  // namespace varnholt::platform
