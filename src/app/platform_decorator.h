#pragma once
// A platform that passes every call on to another one. The game's input script, its key recorder and its
// frame capture each sit between the game and the real backend and override only the calls they watch.

#include "platform/platform.h"

namespace varnholt::app {

class PlatformDecorator : public platform::Platform {
 public:
  explicit PlatformDecorator(platform::Platform& inner) : inner_(inner) {}

  bool openWindow(std::string_view title, int width, int height) override {
    return inner_.openWindow(title, width, height);
  }
  void closeWindow() override { inner_.closeWindow(); }
  void hideMousePointer() override { inner_.hideMousePointer(); }
  void setMousePointerShown(bool shown) override { inner_.setMousePointerShown(shown); }
  platform::Message peekMessage() override { return inner_.peekMessage(); }
  void postMessage(platform::Message message) override { inner_.postMessage(message); }
  bool readKeyboard(std::uint8_t (&state)[256]) override { return inner_.readKeyboard(state); }
  bool isKeyDown(platform::DirectKey key) override { return inner_.isKeyDown(key); }
  void takeKeyEvents(std::vector<platform::KeyEvent>& events) override { inner_.takeKeyEvents(events); }
  void takePointerEvents(std::vector<platform::PointerEvent>& events) override {
    inner_.takePointerEvents(events);
  }
  std::uint32_t ticks() override { return inner_.ticks(); }
  void waitUntil(std::uint32_t deadline) override { inner_.waitUntil(deadline); }
  bool present(const platform::Frame& frame) override { return inner_.present(frame); }
  platform::TextRasterizer* textRasterizer() override { return inner_.textRasterizer(); }
  bool takeScreenshotRequest() override { return inner_.takeScreenshotRequest(); }
  bool quitRequested() override { return inner_.quitRequested(); }
  const std::string& lastError() const override { return inner_.lastError(); }

 protected:
  platform::Platform& inner() { return inner_; }

 private:
  platform::Platform& inner_;
};

}  // namespace varnholt::app
