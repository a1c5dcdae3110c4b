// The display state and its operations: set-up and release of the screen surfaces and palette,
// clippers, fills, the back-buffer lock, presenting through the platform, the frame clock and the
// palette file.
#include "engine/display.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <iterator>
#include <string_view>

#include "content/campaign_file.h"
#include "engine/back_buffer_changes.h"
#include "engine/display_internal.h"
#include "engine/error_log.h"

namespace varnholt {

Surface* primarySurface = nullptr;
Surface* backBuffer = nullptr;
Palette* displayPalette = nullptr;
PALETTEENTRY paletteEntries[256] = {};
std::shared_ptr<const Clipper> backBufferClipper;
std::shared_ptr<const Clipper> windowClipper;
std::uint8_t* backBufferMemory = nullptr;
int backBufferPitch = 0;
int screenWidth = 640;
int screenHeight = 480;
int screenBitsPerPixel = 8;
int pixelFormat = 16;
int clipMinX = 0;
int clipMinY = 0;
int clipMaxX = 639;
int clipMaxY = 479;
int windowedMode = 0;
std::uint32_t frameStartTick = 0;

namespace {

// The objects behind the display pointers. They live from initDisplay to shutdownDisplay (or a reset).
struct DisplayObjects {
  std::unique_ptr<Surface> primary;
  std::unique_ptr<Surface> back;
  std::unique_ptr<Palette> palette;
};
DisplayObjects displayObjects;

// Palette creation flags.
constexpr int PALETTE_FULL_SCREEN = 0x44;
constexpr int PALETTE_WINDOWED = 4;

}  // namespace

void resetDisplayState() {
  resetBackBufferChanges();
  displayObjects = DisplayObjects{};
  primarySurface = nullptr;
  backBuffer = nullptr;
  displayPalette = nullptr;
  std::fill(std::begin(paletteEntries), std::end(paletteEntries), PALETTEENTRY{});
  backBufferClipper.reset();
  windowClipper.reset();
  backBufferMemory = nullptr;
  backBufferPitch = 0;
  screenWidth = 640;
  screenHeight = 480;
  screenBitsPerPixel = 8;
  pixelFormat = 16;
  clipMinX = 0;
  clipMinY = 0;
  clipMaxX = 639;
  clipMaxY = 479;
  windowedMode = 0;
  frameStartTick = 0;
}

int initDisplay(int width, int height, int bitsPerPixel, int windowed) {
  platform::Platform* host = platform::current();
  if (!host) return 0;
  // Text is drawn with the platform's font; a game without it cannot show its screens.
  if (!host->textRasterizer()) return 0;
  // The mode itself: only 8-bit palettized screens of a sane size exist here.
  if (bitsPerPixel != 8 || width < 1 || height < 1 || width > SURFACE_MAX_SIDE || height > SURFACE_MAX_SIDE) {
    return 0;
  }

  // A display set up again starts unlocked, with nothing known of its back buffer; the old surfaces
  // go with it.
  resetBackBufferChanges();
  backBufferMemory = nullptr;
  backBufferPitch = 0;
  screenWidth = width;
  screenHeight = height;
  screenBitsPerPixel = bitsPerPixel;
  windowedMode = windowed;

  displayObjects.primary = std::make_unique<Surface>();
  if (!initSurface(*displayObjects.primary, width, height, DDSCAPS_PRIMARYSURFACE)) return 0;
  primarySurface = displayObjects.primary.get();

  pixelFormat = bitsPerPixel;
  logError("\npixel format = %d", pixelFormat);
  logError(pixelFormat == 15 ? "\npixel format = 5.5.5" : "\npixel format = 5.6.5");

  displayObjects.back = createOffscreenSurface(width, height, 0, 0);
  if (!displayObjects.back) return 0;
  backBuffer = displayObjects.back.get();
  // The back buffer draws every pixel it is given; only sprite frames are colour-keyed sources.
  backBuffer->hasColorKey = false;

  std::fill(std::begin(paletteEntries), std::end(paletteEntries), PALETTEENTRY{});
  loadPaletteFile(START_PALETTE_FILE, paletteEntries);
  if (windowed) {
    // Twenty system colours stay with the desktop in a window.
    for (int i = 0; i < 10; ++i) paletteEntries[i].flags = PC_EXPLICIT;
    for (int i = 246; i < 256; ++i) paletteEntries[i].flags = PC_EXPLICIT;
  }
  displayObjects.palette = std::make_unique<Palette>();
  std::memcpy(displayObjects.palette->entries, paletteEntries, sizeof paletteEntries);
  displayObjects.palette->flags = windowed ? PALETTE_WINDOWED : PALETTE_FULL_SCREEN;
  displayPalette = displayObjects.palette.get();

  if (!windowed) fillSurface(primarySurface, 0);
  fillSurface(backBuffer, 0);

  clipMinX = 0;
  clipMinY = 0;
  clipMaxX = screenWidth - 1;
  clipMaxY = screenHeight - 1;

  const RECT screen{0, 0, screenWidth, screenHeight};
  backBufferClipper = attachClipper(backBuffer, 1, &screen);
  if (windowed) {
    windowClipper = attachClipper(primarySurface, 1, &screen);
    if (!windowClipper) return 0;
  }
  return 1;
}

int shutdownDisplay() {
  if (backBufferMemory) unlockBackBuffer();
  backBufferClipper.reset();
  windowClipper.reset();
  displayPalette = nullptr;
  backBuffer = nullptr;
  primarySurface = nullptr;
  displayObjects = DisplayObjects{};
  resetBackBufferChanges();
  return 1;
}

std::shared_ptr<const Clipper> attachClipper(Surface* surface, int count, const RECT* rects) {
  if (!surface || count < 1 || !rects) return nullptr;
  auto clipper = std::make_shared<Clipper>();
  clipper->rects.assign(rects, rects + count);
  clipper->bound = RECT{64000, 64000, -64000, -64000};
  for (const RECT& r : clipper->rects) {
    if (r.left < clipper->bound.left) clipper->bound.left = r.left;
    if (r.top < clipper->bound.top) clipper->bound.top = r.top;
    if (r.right > clipper->bound.right) clipper->bound.right = r.right;
    if (r.bottom > clipper->bound.bottom) clipper->bound.bottom = r.bottom;
  }
  surface->clipper = clipper;
  return clipper;
}

std::unique_ptr<Surface> createOffscreenSurface(int width, int height, int memoryFlags, int colorKey) {
  auto surface = std::make_unique<Surface>();
  if (!initSurface(*surface, width, height, memoryFlags | DDSCAPS_OFFSCREENPLAIN)) return nullptr;
  setColorKey(*surface, colorKey);
  return surface;
}

int fillSurface(Surface* surface, int color, const RECT* rect) {
  if (!surface) return 0;
  // A locked surface refuses the fill; the operation reports success all the same.
  fillRect(*surface, rect, static_cast<std::uint8_t>(color & 0xFF));
  return 1;
}

std::uint8_t* lockBackBuffer() {
  if (backBufferMemory) return backBufferMemory;
  if (!backBuffer) return nullptr;
  backBuffer->locked = true;
  backBufferMemory = backBuffer->pixels.data();
  backBufferPitch = backBuffer->pitch;
  return backBufferMemory;
}

int unlockBackBuffer() {
  if (!backBufferMemory) return 0;
  if (backBuffer) backBuffer->locked = false;
  backBufferMemory = nullptr;
  backBufferPitch = 0;
  return 1;
}

int flipDisplay() {
  if (backBufferMemory) return 0;
  platform::Platform* host = platform::current();
  if (!backBuffer || !host) return 0;
  platform::Frame frame;
  frame.pixels = backBuffer->pixels.data();
  frame.width = backBuffer->width;
  frame.height = backBuffer->height;
  frame.pitch = backBuffer->pitch;
  frame.palette = displayPalette ? displayPalette->entries : paletteEntries;
  describeChanges(frame, host);
  // One attempt: a screen that cannot be shown must not stall the frame loop.
  if (!host->present(frame)) return 0;
  backBufferPresented(host);
  return 1;
}

std::uint32_t readClock() {
  platform::Platform* host = platform::current();
  return host ? host->ticks() : 0;
}

std::uint32_t startClock() {
  frameStartTick = readClock();
  return frameStartTick;
}

std::uint32_t waitClock(std::uint32_t milliseconds) {
  platform::Platform* host = platform::current();
  if (!host) return 0;
  // The platform compares deadlines as signed differences, so a wait is handed over in pieces of at
  // most 2^30 ms; a longer one still ends no sooner than asked.
  constexpr std::uint32_t MAX_STEP = 1u << 30;
  std::uint32_t now = host->ticks();
  while (now - frameStartTick < milliseconds) {
    const std::uint32_t remaining = milliseconds - (now - frameStartTick);
    host->waitUntil(now + (remaining < MAX_STEP ? remaining : MAX_STEP));
    now = host->ticks();
  }
  return now;
}

namespace {

// Reads one decimal integer as "%d" would: white space skipped, an optional sign, digits. Values beyond
// the int range saturate instead of overflowing. False (position unchanged past the white space) when
// no digits follow.
bool readDecimal(std::string_view text, std::size_t& pos, int& value) {
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  std::size_t p = pos;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  const std::size_t digitsStart = p;
  long long magnitude = 0;
  while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
    if (magnitude < (1LL << 40)) magnitude = magnitude * 10 + (text[p] - '0');
    ++p;
  }
  if (p == digitsStart) return false;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  if (magnitude > limit) magnitude = limit;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  pos = p;
  return true;
}

}  // namespace

std::optional<std::string> readPaletteText(const std::string& fileName) {
  return content::readCampaignFile(fileName, PALETTE_MAX_FILE_BYTES, "a palette file");
}

std::vector<PaletteNumber> readPaletteNumbers(std::string_view text) {
  std::vector<PaletteNumber> numbers;
  std::size_t pos = 0;
  int value = 0;
  while (numbers.size() < 4 * 256) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    const std::size_t start = pos;
    if (!readDecimal(text, pos, value)) break;
    numbers.push_back({value, start});
  }
  return numbers;
}

int parsePaletteText(std::string_view text, PALETTEENTRY* entries) {
  if (!entries) return 0;
  std::fill(entries, entries + 256, PALETTEENTRY{});
  const std::vector<PaletteNumber> numbers = readPaletteNumbers(text);
  for (std::size_t i = 0; i < numbers.size() / 4; ++i) {
    entries[i].red = static_cast<std::uint8_t>(numbers[4 * i].value);
    entries[i].green = static_cast<std::uint8_t>(numbers[4 * i + 1].value);
    entries[i].blue = static_cast<std::uint8_t>(numbers[4 * i + 2].value);
    entries[i].flags = static_cast<std::uint8_t>(numbers[4 * i + 3].value);
  }
  return 1;
}

int loadPaletteFile(const std::string& fileName, PALETTEENTRY* entries) {
  if (!entries) return 0;
  const std::optional<std::string> text = readPaletteText(fileName);
  if (!text) return 0;
  return parsePaletteText(*text, entries);
}

}  // namespace varnholt
