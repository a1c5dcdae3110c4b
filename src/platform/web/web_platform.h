#pragma once
// The browser backend (Emscripten). The page owns the canvas and the keyboard listeners; this side
// converts each new 8-bit frame through a 256-entry RGBA table into the canvas, reads the keys the page
// keeps, and waits by handing control back to the browser (Asyncify), so the game's own loop runs
// unchanged while the page stays responsive.
//
// With a virtual clock it keeps the headless runner's time instead (the same VirtualClock, from 0), so a
// key script replays exactly as natively.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/font/glyph_atlas.h"
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

  Message peekMessage() override;
  void postMessage(Message message) override { messages_.post(message); }

  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(DirectKey key) override;

  std::uint32_t ticks() override;
  void waitUntil(std::uint32_t deadline) override;

  bool present(const Frame& frame) override;
  TextRasterizer* textRasterizer() override;
  const std::string& lastError() const override { return lastError_; }

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
  void yieldNow();
  void yieldFor(unsigned milliseconds);

  std::string atlasPath_;
  bool virtualClock_;
  VirtualClock clock_;
  MessageQueue messages_;
  std::unique_ptr<AtlasRasterizer> font_;
  bool fontFailed_ = false;
  std::string lastError_;

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> latest_;  // the latest presented frame, rows packed
  std::array<PaletteEntry, 256> latestPalette_{};
  std::vector<std::uint8_t> shown_;  // what the canvas holds
  std::array<PaletteEntry, 256> shownPalette_{};
  bool anyShown_ = false;
  std::array<std::uint32_t, 256> rgba_{};  // the palette as canvas pixels
  std::array<PaletteEntry, 256> rgbaPalette_{};
  bool rgbaValid_ = false;
  std::vector<std::uint32_t> canvas_;
  std::uint64_t presentCount_ = 0;
  double lastYield_ = 0;
  int readsSinceYield_ = 0;
  bool stopPosted_ = false;
  double waited_ = 0;
};

}  // namespace varnholt::platform
