// The SDL backend's picture: window, renderer, texture, palette conversion, placement and repaint.
#include "platform/sdl/sdl_presenter.h"

#include <cstring>
#include <utility>

#include "platform/sdl/x11_window.h"

namespace varnholt::platform {

namespace {

constexpr Uint32 TEXTURE_FORMAT = SDL_PIXELFORMAT_ARGB8888;

}  // namespace

const PaletteLookup& PaletteLookupCache::lookupFor(const PaletteEntry* palette) {
  if (valid_ && std::memcmp(palette_.data(), palette, sizeof(PaletteEntry) * 256) == 0) return lookup_;
  std::memcpy(palette_.data(), palette, sizeof(PaletteEntry) * 256);
  buildPaletteLookup(palette, lookup_);
  valid_ = true;
  ++builds_;
  return lookup_;
}

SdlPresenter::SdlPresenter(FitMode scaling, std::string& error, std::function<void()> serverTalk)
    : scaling_(scaling), error_(error), serverTalk_(std::move(serverTalk)) {}

SdlPresenter::~SdlPresenter() {
  close();
}

bool SdlPresenter::open(std::string_view title, int width, int height, bool windowed) {
  close();
  const std::string name(title);
  const Uint32 flags = SDL_WINDOW_RESIZABLE | (windowed ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  window_.reset(
      SDL_CreateWindow(name.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags));
  if (!window_) {
    error_ = std::string("cannot create the window: ") + SDL_GetError();
    close();
    return false;
  }
  fullscreen_ = !windowed;
  windowedWidth_ = width;
  windowedHeight_ = height;
  ownRenderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
  if (!ownRenderer_) ownRenderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE));
  if (!ownRenderer_) {
    error_ = std::string("cannot create a renderer: ") + SDL_GetError();
    close();
    return false;
  }
  renderer_ = ownRenderer_.get();
  if (!ensureTexture(width, height)) {
    close();
    return false;
  }
  // After the renderer, which may have had SDL create the window afresh for OpenGL.
  matchWindowToItsSize(window_.get());
  return true;
}

bool SdlPresenter::attach(SDL_Renderer* renderer, int width, int height) {
  close();
  renderer_ = renderer;
  if (renderer_ == nullptr || !ensureTexture(width, height)) {
    if (renderer_ == nullptr) error_ = "no renderer to draw with";
    close();
    return false;
  }
  return true;
}

void SdlPresenter::close() {
  enlarged_.reset();
  texture_.reset();
  ownRenderer_.reset();
  renderer_ = nullptr;
  window_.reset();
  textureWidth_ = textureHeight_ = 0;
  textureFilled_ = false;
  shown_.forget();
  lookup_.forget();
}

bool SdlPresenter::accept(const Frame& frame) {
  if (frame.pixels == nullptr || frame.palette == nullptr || frame.width <= 0 || frame.height <= 0 ||
      frame.pitch < frame.width) {
    error_ = "present: frame without pixels or palette, or with a bad size or pitch";
    return false;
  }
  ++presents_;
  return true;
}

SdlPresenter::Shown SdlPresenter::show(const Frame& frame) {
  if (renderer_ == nullptr) {
    error_ = "present: no window is open";
    return Shown::Failed;
  }
  if (!ensureTexture(frame.width, frame.height)) return Shown::Failed;
  // The game presents about fifty times a second whether or not anything moved. Without this, an idle
  // screen costs a conversion, an upload and a full repaint each time (a sixth of a core with a software
  // GL). The pacing is unchanged: the renderer does not wait for vsync, the game's own waits pace it.
  if (textureFilled_ && shown_.matches(frame)) return Shown::Unchanged;
  const PaletteLookup& lookup = lookup_.lookupFor(frame.palette);

  void* memory = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture_.get(), nullptr, &memory, &pitch) != 0) {
    error_ = std::string("present: cannot lock the frame texture: ") + SDL_GetError();
    return Shown::Failed;
  }
  convertFrame(frame, lookup, memory, pitch);
  SDL_UnlockTexture(texture_.get());
  enlargedValid_ = false;
  textureFilled_ = true;
  shown_.keep(frame);
  ++uploads_;
  redraw();
  return Shown::Uploaded;
}

void SdlPresenter::lose() {
  texture_.reset();
  enlarged_.reset();
  textureFilled_ = false;
  shown_.forget();
}

bool SdlPresenter::ensureTexture(int width, int height) {
  if (texture_ && textureWidth_ == width && textureHeight_ == height) return true;
  texture_.reset(SDL_CreateTexture(renderer_, TEXTURE_FORMAT, SDL_TEXTUREACCESS_STREAMING, width, height));
  textureFilled_ = false;
  enlarged_.reset();
  if (!texture_) {
    error_ = std::string("cannot create the frame texture: ") + SDL_GetError();
    return false;
  }
  SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
  textureWidth_ = width;
  textureHeight_ = height;
  return true;
}

// What the fit placement is drawn from: the frame itself when the place is a whole multiple of it (or
// the enlargement cannot be made), else the enlarged frame. Sets the scale mode the copy uses.
SDL_Texture* SdlPresenter::fitSource(const ViewportRect& place) {
  const int scale = enlargement(place.width, place.height, textureWidth_, textureHeight_);
  const bool whole = place.width == scale * textureWidth_ && place.height == scale * textureHeight_;
  if (whole || scale == 1) {
    SDL_SetTextureScaleMode(texture_.get(), whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    return texture_.get();
  }
  if (!enlarged_ || enlargedScale_ != scale) {
    enlarged_.reset(SDL_CreateTexture(renderer_, TEXTURE_FORMAT, SDL_TEXTUREACCESS_TARGET,
                                      scale * textureWidth_, scale * textureHeight_));
    enlargedScale_ = scale;
    enlargedValid_ = false;
    if (!enlarged_) {
      SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeLinear);
      return texture_.get();
    }
    SDL_SetTextureScaleMode(enlarged_.get(), SDL_ScaleModeLinear);
  }
  if (!enlargedValid_) {
    SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
    SDL_SetRenderTarget(renderer_, enlarged_.get());
    SDL_RenderCopy(renderer_, texture_.get(), nullptr, nullptr);
    SDL_SetRenderTarget(renderer_, nullptr);
    enlargedValid_ = true;
  }
  return enlarged_.get();
}

void SdlPresenter::redraw() {
  if (renderer_ == nullptr) return;
  // Drawing talks to the X server, and replies may bring events in with them.
  talked();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (texture_ && textureFilled_) {
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    const ViewportRect place = fitFrame(outputWidth, outputHeight, textureWidth_, textureHeight_, scaling_);
    SDL_Texture* source = scaling_ == FitMode::Fit ? fitSource(place) : texture_.get();
    const SDL_Rect target{place.x, place.y, place.width, place.height};
    SDL_RenderCopy(renderer_, source, nullptr, &target);
  }
  SDL_RenderPresent(renderer_);
}

// SDL loses the window's own size when the window starts full screen (the renderer may have it create
// the window afresh, at the screen's size), and then leaves full screen with a screen-sized window. The
// game's size, or the one the player gave the window, is put back here.
void SdlPresenter::restoreWindowedSize() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_.get(), &width, &height);
  if (windowedWidth_ <= 0 || windowedHeight_ <= 0 || (width == windowedWidth_ && height == windowedHeight_))
    return;
  SDL_SetWindowSize(window_.get(), windowedWidth_, windowedHeight_);
  SDL_SetWindowPosition(window_.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void SdlPresenter::toggleFullscreen() {
  if (!window_) return;
  talked();
  if (!fullscreen_) SDL_GetWindowSize(window_.get(), &windowedWidth_, &windowedHeight_);
  const Uint32 flags = fullscreen_ ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (SDL_SetWindowFullscreen(window_.get(), flags) == 0) fullscreen_ = !fullscreen_;
  if (!fullscreen_) restoreWindowedSize();
  matchWindowToItsSize(window_.get());
  redraw();
}

void SdlPresenter::setScaling(FitMode scaling) {
  if (scaling == scaling_) return;
  scaling_ = scaling;
  if (scaling_ == FitMode::Integer) {
    // Whole steps draw the frame itself, sharp; the enlargement is made again if Fit comes back.
    enlarged_.reset();
    if (texture_) SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
  }
  redraw();
}

PointerMapping SdlPresenter::pointerMapping() const {
  PointerMapping mapping;
  if (renderer_ == nullptr) return mapping;
  SDL_GetRendererOutputSize(renderer_, &mapping.outputWidth, &mapping.outputHeight);
  if (window_) {
    SDL_GetWindowSize(window_.get(), &mapping.windowWidth, &mapping.windowHeight);
  } else {
    mapping.windowWidth = mapping.outputWidth;
    mapping.windowHeight = mapping.outputHeight;
  }
  mapping.frameWidth = textureWidth_;
  mapping.frameHeight = textureHeight_;
  mapping.mode = scaling_;
  return mapping;
}

std::uint32_t SdlPresenter::windowId() const {
  return window_ ? SDL_GetWindowID(window_.get()) : 0;
}

std::string SdlPresenter::rendererName() const {
  SDL_RendererInfo info{};
  if (renderer_ == nullptr || SDL_GetRendererInfo(renderer_, &info) != 0 || info.name == nullptr) return {};
  return info.name;
}

Frame SdlPresenter::shownFrame() const {
  return textureFilled_ ? shown_.view() : Frame{};
}

}  // namespace varnholt::platform
