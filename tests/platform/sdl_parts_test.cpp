// The SDL backend's parts without a display: the palette lookup's cache, the key state's translation,
// hiding and release, the event pump's routing, the mouse and touch turned into pointer events, and the
// presenter drawing through a software renderer into a plain surface.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_queue.h"
#include "platform/sdl/sdl_event_pump.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_pointer.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/viewport.h"

namespace varnholt::platform {
namespace {

SDL_KeyboardEvent key(Uint32 type, SDL_Scancode scancode, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0) {
  SDL_KeyboardEvent event{};
  event.type = type;
  event.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.repeat = repeat;
  event.keysym.scancode = scancode;
  event.keysym.mod = modifiers;
  return event;
}

bool snapshotHas(const SdlKeys& keys, int code) {
  std::uint8_t state[256];
  keys.snapshot(state);
  return state[code] == 0x80;
}

std::vector<KeyEvent> taken(SdlKeys& keys) {
  std::vector<KeyEvent> events;
  keys.takeEvents(events);
  return events;
}

TEST(PaletteLookupCache, RebuildsOnlyWhenThePaletteChanges) {
  std::vector<PaletteEntry> palette(256);
  palette[7] = {10, 20, 30, 0};
  PaletteLookupCache cache;
  EXPECT_EQ(cache.lookupFor(palette.data())[7], 0xFF0A141Eu);
  cache.lookupFor(palette.data());
  EXPECT_EQ(cache.builds(), 1u);

  // The last entry counts as much as the first, and the new colours come out.
  palette[255].blue = 1;
  EXPECT_EQ(cache.lookupFor(palette.data())[255], 0xFF000001u);
  EXPECT_EQ(cache.builds(), 2u);
  // The same colours in another buffer are the same palette.
  const std::vector<PaletteEntry> copy = palette;
  cache.lookupFor(copy.data());
  EXPECT_EQ(cache.builds(), 2u);

  // Forgotten (the window closed): built afresh even for the same palette.
  cache.forget();
  cache.lookupFor(palette.data());
  EXPECT_EQ(cache.builds(), 3u);
}

TEST(SdlKeys, PressesAndReleasesReachTheSnapshotTheDirectTestAndTheEvents) {
  SdlKeys keys;
  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_UP), 5), KeyAction::None);
  EXPECT_TRUE(snapshotHas(keys, DIK_UP));
  // Auto-repeat keeps the key down without another press.
  keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_UP, KMOD_NONE, 1), 6);
  keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE), 7);
  EXPECT_TRUE(keys.isDown(DirectKey::Escape));
  EXPECT_FALSE(keys.isDown(DirectKey::Space));
  keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_UP), 9);
  EXPECT_FALSE(snapshotHas(keys, DIK_UP));
  EXPECT_EQ(taken(keys),
            (std::vector<KeyEvent>{{DIK_UP, true, 5}, {DIK_ESCAPE, true, 7}, {DIK_UP, false, 9}}));
  EXPECT_TRUE(taken(keys).empty());

  // The keypad's Enter is Enter for the direct test, its own key in the snapshot.
  keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER), 10);
  EXPECT_TRUE(keys.isDown(DirectKey::Return));
  EXPECT_FALSE(snapshotHas(keys, DIK_RETURN));
  EXPECT_TRUE(snapshotHas(keys, 0x9C));

  // A release never pressed, a key with no DirectInput code and a scancode out of range leave no trace.
  keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_SPACE), 11);
  keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_MUTE), 11);
  keys.handleKey(key(SDL_KEYDOWN, static_cast<SDL_Scancode>(SDL_NUM_SCANCODES)), 11);
  EXPECT_EQ(taken(keys), (std::vector<KeyEvent>{{0x9C, true, 10}}));

  // Closing the window lets go of everything with no releases reported.
  keys.releaseAll();
  EXPECT_FALSE(keys.isDown(DirectKey::Escape));
  EXPECT_FALSE(keys.isDown(DirectKey::Return));
  keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_ESCAPE), 12);
  EXPECT_TRUE(taken(keys).empty());
}

TEST(SdlKeys, DisplayKeysAskForTheirActionAndAltEnterStaysHiddenUntilReleased) {
  SdlKeys keys;
  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_F11), 1), KeyAction::ToggleFullscreen);
  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_F11, KMOD_NONE, 1), 2), KeyAction::None);
  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_F12), 3), KeyAction::Screenshot);
  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN), 4), KeyAction::None);
  keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_RETURN), 5);
  taken(keys);

  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT), 6), KeyAction::ToggleFullscreen);
  EXPECT_EQ(keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, KMOD_RALT), 6),
            KeyAction::ToggleFullscreen);
  EXPECT_FALSE(keys.isDown(DirectKey::Return));
  EXPECT_FALSE(snapshotHas(keys, DIK_RETURN));
  // Still hidden while held, auto-repeat included.
  keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_NONE, 1), 7);
  EXPECT_FALSE(keys.isDown(DirectKey::Return));
  EXPECT_TRUE(taken(keys).empty()) << "the switching presses are not the game's";
  keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_RETURN), 8);
  keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_KP_ENTER), 8);
  taken(keys);
  keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN), 9);
  EXPECT_TRUE(keys.isDown(DirectKey::Return));
  EXPECT_EQ(taken(keys), (std::vector<KeyEvent>{{DIK_RETURN, true, 9}}));
}

TEST(SdlKeys, UntakenEventsKeepTheNewestUpToTheLimit) {
  SdlKeys keys;
  const std::uint32_t presses = SdlKeys::EVENT_LIMIT / 2 + 3;
  for (std::uint32_t i = 0; i < presses; ++i) {
    keys.handleKey(key(SDL_KEYDOWN, SDL_SCANCODE_A), i);
    keys.handleKey(key(SDL_KEYUP, SDL_SCANCODE_A), i);
  }
  const std::vector<KeyEvent> events = taken(keys);
  ASSERT_EQ(events.size(), SdlKeys::EVENT_LIMIT);
  EXPECT_EQ(events.front().ticks, 3u);
  EXPECT_TRUE(events.front().down);
  EXPECT_EQ(events.back().ticks, presses - 1);
  EXPECT_FALSE(events.back().down);
}

// A presenter drawing into a 32-bit surface through SDL's software renderer: no window, no display.
class SurfacePresenter : public ::testing::Test {
 protected:
  void open(FitMode scaling, int outputWidth, int outputHeight, int frameWidth, int frameHeight) {
    surface.reset(SDL_CreateRGBSurfaceWithFormat(0, outputWidth, outputHeight, 32, SDL_PIXELFORMAT_ARGB8888));
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    renderer.reset(SDL_CreateSoftwareRenderer(surface.get()));
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    presenter = std::make_unique<SdlPresenter>(scaling, error, [this] { ++serverTalks; });
    ASSERT_TRUE(presenter->attach(renderer.get(), frameWidth, frameHeight)) << error;
  }
  std::uint32_t at(int x, int y) const {
    const auto* row =
        static_cast<const std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch;
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFFu;
  }
  void TearDown() override {
    presenter.reset();
    renderer.reset();
    surface.reset();
  }

  struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
  };
  std::unique_ptr<SDL_Surface, SurfaceDeleter> surface;
  std::unique_ptr<SDL_Renderer, SdlRendererDeleter> renderer;
  std::string error;
  int serverTalks = 0;
  std::unique_ptr<SdlPresenter> presenter;
};

// A frame of width x height: index 1 (red) on the left half, 2 (blue) on the right, 3 (yellow) in the
// top-left pixel.
struct Picture {
  int width;
  int height;
  std::vector<std::uint8_t> pixels;
  std::vector<PaletteEntry> palette = std::vector<PaletteEntry>(256);
  Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[static_cast<std::size_t>(y) * w + x] = x < w / 2 ? 1 : 2;
    pixels[0] = 3;
    palette[1] = {200, 0, 0, 0};
    palette[2] = {0, 0, 200, 0};
    palette[3] = {250, 250, 0, 0};
  }
  Frame frame() const { return {pixels.data(), width, height, width, palette.data()}; }
};

TEST_F(SurfacePresenter, PlacesTheFrameWholeTimesLetterboxedAndUploadsOnlyAChangedPicture) {
  open(FitMode::Integer, 1000, 700, 400, 300);
  Picture picture(400, 300);
  ASSERT_TRUE(presenter->accept(picture.frame()));
  ASSERT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded) << error;
  EXPECT_GT(serverTalks, 0) << "drawing is talking to the server";
  // Twice the frame's size, centred: (100, 50) to (900, 650).
  EXPECT_EQ(at(100, 50), 0xFAFA00u);
  EXPECT_EQ(at(101, 51), 0xFAFA00u);
  EXPECT_EQ(at(102, 52), 0xC80000u);
  EXPECT_EQ(at(499, 400), 0xC80000u);
  EXPECT_EQ(at(500, 400), 0x0000C8u);
  EXPECT_EQ(at(899, 649), 0x0000C8u);
  EXPECT_EQ(at(99, 50), 0u);
  EXPECT_EQ(at(100, 49), 0u);
  EXPECT_EQ(at(900, 649), 0u);
  EXPECT_EQ(at(899, 650), 0u);

  EXPECT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Unchanged);
  picture.palette[2].green = 200;
  EXPECT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);
  EXPECT_EQ(at(600, 300), 0x00C8C8u);
  picture.pixels[picture.pixels.size() - 1] = 1;
  EXPECT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);
  EXPECT_EQ(at(898, 648), 0xC80000u);
  EXPECT_EQ(presenter->uploads(), 3u);
  EXPECT_EQ(presenter->paletteLookupBuilds(), 2u) << "a pixel change reuses the lookup";
  EXPECT_EQ(presenter->presents(), 1u) << "only accept() counts presents";

  // The kept picture is what F12 saves; a lost texture makes the same picture upload again.
  const Frame shown = presenter->shownFrame();
  ASSERT_NE(shown.pixels, nullptr);
  EXPECT_TRUE(std::equal(picture.pixels.begin(), picture.pixels.end(), shown.pixels));
  presenter->lose();
  EXPECT_EQ(presenter->shownFrame().pixels, nullptr);
  EXPECT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);

  // A repaint draws from the texture, without a new frame.
  SDL_FillRect(surface.get(), nullptr, 0xFF123456u);
  presenter->redraw();
  EXPECT_EQ(at(600, 300), 0x00C8C8u);
  EXPECT_EQ(at(10, 10), 0u);
  // No display-mode switch without a window.
  presenter->toggleFullscreen();
  EXPECT_FALSE(presenter->fullscreen());
}

TEST_F(SurfacePresenter, FitFillsTheLargestPlaceSmoothedFromAWholeEnlargement) {
  open(FitMode::Fit, 1000, 700, 400, 300);
  Picture picture(400, 300);
  ASSERT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded) << error;
  const ViewportRect place = fitFrame(1000, 700, 400, 300, FitMode::Fit);
  ASSERT_GT(place.width, 800) << "not a whole multiple of the frame";
  EXPECT_EQ(at(place.x + place.width / 4, place.y + place.height / 2), 0xC80000u);
  EXPECT_EQ(at(place.x + place.width * 3 / 4, place.y + place.height / 2), 0x0000C8u);
  if (place.x > 0) {
    EXPECT_EQ(at(place.x - 1, 350), 0u);
  }
  EXPECT_EQ(at(place.x + place.width, 350), 0u);
  // The enlargement is kept for repaints and remade after an upload.
  presenter->redraw();
  EXPECT_EQ(at(place.x + place.width / 4, place.y + place.height / 2), 0xC80000u);
  picture.palette[1] = {0, 150, 0, 0};
  ASSERT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);
  EXPECT_EQ(at(place.x + place.width / 4, place.y + place.height / 2), 0x009600u);
}

TEST_F(SurfacePresenter, RefusesBadFramesAndDrawsNothingWithoutARenderer) {
  open(FitMode::Integer, 200, 200, 100, 100);
  Picture picture(100, 100);
  Frame bad = picture.frame();
  bad.pitch = 50;
  EXPECT_FALSE(presenter->accept(bad));
  EXPECT_NE(error.find("pitch"), std::string::npos);
  bad = picture.frame();
  bad.palette = nullptr;
  EXPECT_FALSE(presenter->accept(bad));
  EXPECT_EQ(presenter->presents(), 0u);

  // A frame of another size gets a texture of its size.
  Picture larger(150, 120);
  EXPECT_EQ(presenter->show(larger.frame()), SdlPresenter::Shown::Uploaded) << error;
  EXPECT_EQ(at(25, 40), 0xFAFA00u);

  presenter->close();
  error.clear();
  EXPECT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Failed);
  EXPECT_NE(error.find("no window"), std::string::npos);
  EXPECT_EQ(presenter->windowId(), 0u);
  EXPECT_EQ(presenter->rendererName(), "");
}

TEST_F(SurfacePresenter, ThePumpRoutesEventsToTheKeysThePresenterAndTheQuitRequest) {
  open(FitMode::Integer, 200, 200, 100, 100);
  SdlKeys keys;
  MessageQueue messages;
  std::uint32_t now = 40;
  SdlPointer pointer(*presenter);
  SdlEventPump pump(keys, pointer, *presenter, messages, [&] { return now; });

  SDL_Event event{};
  event.key = key(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
  pump.handle(event);
  EXPECT_TRUE(keys.isDown(DirectKey::Space));
  now = 41;
  event.key = key(SDL_KEYDOWN, SDL_SCANCODE_F12);
  pump.handle(event);
  EXPECT_TRUE(pump.takeScreenshotRequest());
  EXPECT_FALSE(pump.takeScreenshotRequest());
  std::vector<KeyEvent> events;
  keys.takeEvents(events);
  EXPECT_EQ(events, (std::vector<KeyEvent>{{DIK_SPACE, true, 40}, {0x58, true, 41}}));

  // A repaint request draws the kept picture again; a lost device makes the next present upload.
  Picture picture(100, 100);
  ASSERT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);
  SDL_FillRect(surface.get(), nullptr, 0xFF123456u);
  event = SDL_Event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_EXPOSED;
  pump.handle(event);
  EXPECT_EQ(at(150, 150), 0x0000C8u);
  event = SDL_Event{};
  event.type = SDL_RENDER_DEVICE_RESET;
  pump.handle(event);
  EXPECT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);

  // The close button and SDL's quit ask once, however often they come.
  EXPECT_FALSE(pump.quitRequested());
  event = SDL_Event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  pump.handle(event);
  event = SDL_Event{};
  event.type = SDL_QUIT;
  pump.handle(event);
  EXPECT_TRUE(pump.quitRequested());
  EXPECT_EQ(messages.take(), Message::Destroy);
  EXPECT_EQ(messages.take(), Message::None);
  // Stopping forgets the request; without a connection to watch, a sleep is a plain sleep.
  pump.stop();
  EXPECT_FALSE(pump.quitRequested());
  EXPECT_FALSE(pump.watchingServer());
  EXPECT_FALSE(pump.sleepUntil(SdlEventPump::Clock::now() + std::chrono::milliseconds(1)));
}

SDL_Event mouseMotion(Sint32 x, Sint32 y, Uint32 which = 0) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.which = which;
  event.motion.x = x;
  event.motion.y = y;
  return event;
}

SDL_Event mouseButton(Uint32 type, Uint8 button, Sint32 x, Sint32 y, Uint32 which = 0) {
  SDL_Event event{};
  event.type = type;
  event.button.which = which;
  event.button.button = button;
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.x = x;
  event.button.y = y;
  return event;
}

SDL_Event finger(Uint32 type, SDL_FingerID id, float x, float y, SDL_TouchID touch = 7) {
  SDL_Event event{};
  event.type = type;
  event.tfinger.touchId = touch;
  event.tfinger.fingerId = id;
  event.tfinger.x = x;
  event.tfinger.y = y;
  return event;
}

using Kind = PointerEvent::Kind;
constexpr PointerButton PRIMARY = PointerButton::Primary;
constexpr PointerButton SECONDARY = PointerButton::Secondary;
constexpr PointerButton NONE = PointerButton::None;

TEST_F(SurfacePresenter, ThePumpTurnsTheMouseIntoPointerEventsInFramePixels) {
  // 400 x 300 shown twice its size at (100, 50) in 1000 x 700.
  open(FitMode::Integer, 1000, 700, 400, 300);
  SdlKeys keys;
  MessageQueue messages;
  std::uint32_t now = 10;
  SdlPointer pointer(*presenter);
  SdlEventPump pump(keys, pointer, *presenter, messages, [&] { return now; });

  pump.handle(mouseMotion(101, 51));
  now = 11;
  pump.handle(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 300, 250));
  pump.handle(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 300, 250));
  pump.handle(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_X1, 300, 250));
  now = 12;
  pump.handle(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 899, 649));
  pump.handle(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 50, 690));
  // The mouse SDL makes of a touch is left out.
  pump.handle(mouseMotion(500, 300, SDL_TOUCH_MOUSEID));
  pump.handle(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 500, 300, SDL_TOUCH_MOUSEID));
  now = 13;
  pump.handle(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 950, 20));
  SDL_Event leave{};
  leave.type = SDL_WINDOWEVENT;
  leave.window.event = SDL_WINDOWEVENT_LEAVE;
  pump.handle(leave);

  std::vector<PointerEvent> events;
  pointer.takeEvents(events);
  EXPECT_EQ(events, (std::vector<PointerEvent>{
                        {Kind::Move, NONE, false, true, 0, 0, 10},
                        {Kind::Press, PRIMARY, false, true, 100, 100, 11},
                        {Kind::Release, PRIMARY, false, true, 399, 299, 12},
                        {Kind::Press, SECONDARY, false, false, 0, 299, 12},
                        {Kind::Release, SECONDARY, false, false, 399, 0, 13},
                        {Kind::Leave, NONE, false, false, 399, 0, 13},
                    }));
  events.clear();
  pointer.takeEvents(events);
  EXPECT_TRUE(events.empty());

  // The mapping follows a change of the placement, and the change repaints at once: Fit puts the frame
  // at (33, 0), 933 x 700.
  Picture picture(400, 300);
  ASSERT_EQ(presenter->show(picture.frame()), SdlPresenter::Shown::Uploaded);
  EXPECT_EQ(at(40, 350), 0u);
  presenter->setScaling(FitMode::Fit);
  EXPECT_EQ(presenter->scaling(), FitMode::Fit);
  EXPECT_EQ(at(40, 350), 0xC80000u);
  pump.handle(mouseMotion(120, 60));
  presenter->setScaling(FitMode::Integer);
  EXPECT_EQ(at(40, 350), 0u);
  EXPECT_EQ(at(102, 52), 0xC80000u);
  pump.handle(mouseMotion(120, 60));
  pointer.takeEvents(events);
  EXPECT_EQ(events, (std::vector<PointerEvent>{{Kind::Move, NONE, false, true, 37, 25, 13},
                                               {Kind::Move, NONE, false, true, 10, 5, 13}}));
}

TEST_F(SurfacePresenter, OnlyTheFirstFingerTouchesAndATouchIsNotAlsoAClick) {
  open(FitMode::Integer, 1000, 700, 400, 300);
  SdlKeys keys;
  MessageQueue messages;
  std::uint32_t now = 20;
  SdlPointer pointer(*presenter);
  SdlEventPump pump(keys, pointer, *presenter, messages, [&] { return now; });

  // Positions are shares of the window: (0.5, 0.5) is (500, 350), the frame's (200, 150).
  pump.handle(finger(SDL_FINGERDOWN, 1, 0.5f, 0.5f));
  pump.handle(mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 500, 350, SDL_TOUCH_MOUSEID));
  now = 21;
  pump.handle(finger(SDL_FINGERDOWN, 2, 0.2f, 0.2f));
  pump.handle(finger(SDL_FINGERMOTION, 2, 0.3f, 0.3f));
  pump.handle(finger(SDL_FINGERMOTION, 1, 0.125f, 0.5f));
  pump.handle(finger(SDL_FINGERDOWN, 1, 0.5f, 0.5f, 8));  // the same id on another device
  now = 22;
  pump.handle(finger(SDL_FINGERUP, 2, 0.3f, 0.3f));
  pump.handle(finger(SDL_FINGERUP, 1, 0.95f, 0.5f));
  pump.handle(mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 950, 350, SDL_TOUCH_MOUSEID));
  // With the first finger up, the next one down counts; touches SDL makes of the mouse do not.
  pump.handle(finger(SDL_FINGERDOWN, 3, 0.5f, 0.0f, SDL_MOUSE_TOUCHID));
  now = 23;
  pump.handle(finger(SDL_FINGERDOWN, 4, 0.5f, 0.0f));

  std::vector<PointerEvent> events;
  pointer.takeEvents(events);
  EXPECT_EQ(events, (std::vector<PointerEvent>{
                        {Kind::Press, PRIMARY, true, true, 200, 150, 20},
                        {Kind::Move, PRIMARY, true, true, 12, 150, 21},
                        {Kind::Release, PRIMARY, true, false, 399, 150, 22},
                        {Kind::Press, PRIMARY, true, false, 200, 0, 23},
                    }));

  // The window closing forgets the finger: a new one counts at once.
  pointer.reset();
  pump.handle(finger(SDL_FINGERDOWN, 5, 0.5f, 0.5f));
  events.clear();
  pointer.takeEvents(events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, Kind::Press);
}

TEST_F(SurfacePresenter, UntakenPointerEventsKeepTheNewestUpToTheLimit) {
  open(FitMode::Integer, 400, 300, 400, 300);
  SdlPointer pointer(*presenter);
  const auto moves = static_cast<std::uint32_t>(SdlPointer::EVENT_LIMIT + 6);
  for (std::uint32_t i = 0; i < moves; ++i) pointer.handle(mouseMotion(static_cast<Sint32>(i % 400), 1), i);
  std::vector<PointerEvent> events;
  pointer.takeEvents(events);
  ASSERT_EQ(events.size(), SdlPointer::EVENT_LIMIT);
  EXPECT_EQ(events.front().ticks, 6u);
  EXPECT_EQ(events.back().ticks, moves - 1);
  // Nothing to draw on, nowhere on the frame.
  presenter->close();
  events.clear();
  pointer.handle(mouseMotion(10, 10), 0);
  pointer.takeEvents(events);
  EXPECT_EQ(events, (std::vector<PointerEvent>{{Kind::Move, NONE, false, false, 0, 0, 0}}));
}

}  // namespace
}  // namespace varnholt::platform
