#pragma once
// A platform with no window, for tests and the replay runner. Time is a virtual clock (see
// virtual_clock.h). Keys come from hooks the caller sets; every presented frame is copied so the caller
// can hash it or keep it.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/font/font_rasterizer.h"
#include "platform/frame_hash.h"
#include "platform/message_queue.h"
#include "platform/platform.h"
#include "platform/virtual_clock.h"

namespace varnholt::platform {

class HeadlessPlatform : public Platform {
 public:
  using KeyboardHook = std::function<void(std::uint8_t (&state)[256])>;
  using KeyDownHook = std::function<bool(DirectKey key)>;
  using PresentHook = std::function<void(const CapturedFrame& frame)>;

  explicit HeadlessPlatform(std::uint32_t startTicks = 0) : clock_(startTicks) {}

  bool openWindow(std::string_view title, int width, int height) override;
  void closeWindow() override;
  void hideMousePointer() override { pointerHidden_ = true; }
  void setMousePointerShown(bool shown) override { pointerHidden_ = !shown; }

  Message peekMessage() override { return messages_.take(); }
  void postMessage(Message message) override { messages_.post(message); }

  // Clears the snapshot, then lets the keyboard hook fill it.
  bool readKeyboard(std::uint8_t (&state)[256]) override;
  bool isKeyDown(DirectKey key) override;
  // Hands out the queued pointer events whose time has come on the virtual clock, oldest first.
  void takePointerEvents(std::vector<PointerEvent>& events) override;

  std::uint32_t ticks() override { return clock_.now(); }
  void waitUntil(std::uint32_t deadline) override { clock_.waitUntil(deadline); }

  bool present(const Frame& frame) override;
  TextRasterizer* textRasterizer() override;
  bool takeScreenshotRequest() override;
  const std::string& lastError() const override { return lastError_; }

  // Caller controls.
  void setKeyboardHook(KeyboardHook hook) { keyboardHook_ = std::move(hook); }
  void setKeyDownHook(KeyDownHook hook) { keyDownHook_ = std::move(hook); }
  void setPresentHook(PresentHook hook) { presentHook_ = std::move(hook); }
  void setTicks(std::uint32_t ticks) { clock_.set(ticks); }
  void advance(std::uint32_t milliseconds) { clock_.advance(milliseconds); }
  void setPresentStep(std::uint32_t milliseconds) { clock_.setPresentStep(milliseconds); }
  void setFontPath(std::string path) { font_.setPath(std::move(path)); }
  void requestScreenshot() { screenshotRequested_ = true; }
  // A mouse or touch event delivered once the clock reaches its `ticks` (in the order queued).
  void queuePointerEvent(const PointerEvent& event) { pointerQueue_.push_back(event); }

  // What the game did.
  bool windowOpen() const { return windowOpen_; }
  const std::string& windowTitle() const { return title_; }
  int windowWidth() const { return width_; }
  int windowHeight() const { return height_; }
  bool mousePointerHidden() const { return pointerHidden_; }
  bool hasFrame() const { return presentCount_ > 0; }
  const CapturedFrame& lastFrame() const { return lastFrame_; }
  std::uint64_t presentCount() const { return presentCount_; }
  std::uint64_t keyboardReads() const { return keyboardReads_; }

 private:
  MessageQueue messages_;
  VirtualClock clock_;
  KeyboardHook keyboardHook_;
  KeyDownHook keyDownHook_;
  PresentHook presentHook_;
  CapturedFrame lastFrame_;
  std::uint64_t presentCount_ = 0;
  std::uint64_t keyboardReads_ = 0;
  std::vector<PointerEvent> pointerQueue_;
  LazyGameFont font_;
  std::string lastError_;
  std::string title_;
  int width_ = 0;
  int height_ = 0;
  bool windowOpen_ = false;
  bool pointerHidden_ = false;
  bool screenshotRequested_ = false;
};

}  // namespace varnholt::platform
