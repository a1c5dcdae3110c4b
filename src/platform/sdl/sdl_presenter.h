#pragma once
// The SDL backend's picture: the window and its renderer, the streaming texture the 8-bit frame is
// converted into through the palette's lookup table, its placement in the window (aspect kept,
// letterboxed; whole-number nearest-neighbour steps, or the largest size that fits drawn sharp and
// even), the picture kept for F12, and the repaint from it when the desktop asks. Presenting the picture
// already on screen converts and uploads nothing. Desktop full screen or a window, and the placement,
// switched at will. The mapping of window points onto the frame follows the placement.
// Anything that talks to the X server here (drawing, switching the display mode) tells the event pump
// through `serverTalk`, since replies may bring events in with them.

#include <SDL2/SDL.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/sdl/frame_conversion.h"
#include "platform/viewport.h"

namespace varnholt::platform {

// The palette's lookup table, rebuilt only when a frame's palette differs from the one it was built
// from.
class PaletteLookupCache {
 public:
  const PaletteLookup& lookupFor(const PaletteEntry* palette);
  // The next lookup builds the table afresh.
  void forget() { valid_ = false; }
  // How often the table has been built.
  std::uint64_t builds() const { return builds_; }

 private:
  PaletteLookup lookup_{};
  std::array<PaletteEntry, 256> palette_{};
  bool valid_ = false;
  std::uint64_t builds_ = 0;
};

struct SdlWindowDeleter {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SdlRendererDeleter {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct SdlTextureDeleter {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};

class SdlPresenter {
 public:
  enum class Shown { Failed, Unchanged, Uploaded };

  // Failures are described in `error`, which outlives the presenter.
  SdlPresenter(FitMode scaling, std::string& error, std::function<void()> serverTalk = {});
  ~SdlPresenter();
  SdlPresenter(const SdlPresenter&) = delete;
  SdlPresenter& operator=(const SdlPresenter&) = delete;

  // Creates the window (desktop full screen unless `windowed`), its renderer and a texture of the
  // window's size; SDL's video must be started. False with `error` set, everything made released.
  bool open(std::string_view title, int width, int height, bool windowed);
  // Draws through a renderer someone else owns and keeps (a software renderer on a surface needs no
  // display); there is no window, so no display-mode switch.
  bool attach(SDL_Renderer* renderer, int width, int height);
  // Releases the textures, the renderer and the window; the kept picture and the lookup are forgotten.
  void close();

  // Checks a frame to be presented and counts it; false with `error` set for a frame without pixels or
  // palette or with a bad size or pitch.
  bool accept(const Frame& frame);
  // Puts the frame on screen unless it is the picture there already.
  Shown show(const Frame& frame);
  // Draws the texture letterboxed into the window; black while no frame has been shown.
  void redraw();
  // The renderer lost its textures' contents: the next frame is uploaded even if it is the same one.
  void lose();
  // Switches between desktop full screen and a window, and repaints.
  void toggleFullscreen();
  // Switches to desktop full screen or to a window unless it is there already.
  void setFullscreen(bool on) {
    if (on != fullscreen_) toggleFullscreen();
  }
  bool fullscreen() const { return fullscreen_; }
  // Places the frame this way from now on; a change repaints at once.
  void setScaling(FitMode scaling);
  FitMode scaling() const { return scaling_; }
  // What a window point is mapped through onto the frame now: the window's size, the renderer's output
  // size and the frame's. Drawing without a window, the output's size stands for the window's; with
  // nothing to draw on, all sizes are 0.
  PointerMapping pointerMapping() const;

  bool drawing() const { return renderer_ != nullptr; }
  SDL_Window* window() const { return window_.get(); }
  // SDL's id of the window, 0 while none is open.
  std::uint32_t windowId() const;
  // The name of the renderer SDL chose ("opengl", "software", ...); empty while none is in use.
  std::string rendererName() const;
  // The picture on screen, as the last upload gave it (pitch = width); valid until the next upload. A
  // frame without pixels while nothing has been shown.
  Frame shownFrame() const;
  // How many frames were presented, uploaded or not, and how many were converted and uploaded.
  std::uint64_t presents() const { return presents_; }
  std::uint64_t uploads() const { return uploads_; }
  std::uint64_t paletteLookupBuilds() const { return lookup_.builds(); }

 private:
  bool ensureTexture(int width, int height);
  SDL_Texture* fitSource(const ViewportRect& place);
  void restoreWindowedSize();
  void talked() const {
    if (serverTalk_) serverTalk_();
  }

  FitMode scaling_;
  std::string& error_;
  std::function<void()> serverTalk_;

  // Declared in the order they are created; destroyed in reverse.
  std::unique_ptr<SDL_Window, SdlWindowDeleter> window_;
  std::unique_ptr<SDL_Renderer, SdlRendererDeleter> ownRenderer_;
  SDL_Renderer* renderer_ = nullptr;  // ownRenderer_ or an attached one
  std::unique_ptr<SDL_Texture, SdlTextureDeleter> texture_;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  bool textureFilled_ = false;
  // The frame enlarged a whole number of times, sharp, for the fit placement to be smoothed down from;
  // remade after every upload, kept for repaints of the same picture.
  std::unique_ptr<SDL_Texture, SdlTextureDeleter> enlarged_;
  int enlargedScale_ = 0;
  bool enlargedValid_ = false;

  // What the texture holds; a present of the same picture leaves the screen as it is.
  ShownFrame shown_;
  PaletteLookupCache lookup_;
  std::uint64_t uploads_ = 0;
  std::uint64_t presents_ = 0;

  bool fullscreen_ = false;
  int windowedWidth_ = 0;
  int windowedHeight_ = 0;
};

}  // namespace varnholt::platform
