#pragma once
// The display: an 8-bit back buffer the whole game draws into, presented through the platform layer
// with the 256-entry palette; clippers, colour fills, the back-buffer lock, the millisecond frame clock
// and the start-up palette file. The display state is module-level, one instance, as the game has one
// screen; resetEngine() (engine.h) puts it back to its values before set-up.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/surface.h"
#include "platform/platform.h"

namespace varnholt {

using PALETTEENTRY = platform::PaletteEntry;

// Palette-entry flags.
inline constexpr std::uint8_t PC_EXPLICIT = 2;
inline constexpr std::uint8_t PC_NOCOLLAPSE = 4;

// The palette handed to the screen; `flags` are the creation flags (0x44 full screen, 4 windowed).
struct Palette {
  PALETTEENTRY entries[256] = {};
  int flags = 0;
};

// ---- Display state -------------------------------------------------------------------------------
extern Surface* primarySurface;           // the screen at set-up; what is shown comes from flipDisplay
extern Surface* backBuffer;               // the surface all drawing goes to; null before initDisplay
extern Palette* displayPalette;           // null before initDisplay (and in modes other than 8 bits)
extern PALETTEENTRY paletteEntries[256];  // the entries last handed to displayPalette
extern std::shared_ptr<const Clipper> backBufferClipper;
extern std::shared_ptr<const Clipper> windowClipper;
extern std::uint8_t* backBufferMemory;  // first byte of the back buffer while locked, else null
extern int backBufferPitch;             // row distance while locked, else 0
extern int screenWidth;
extern int screenHeight;
extern int screenBitsPerPixel;
extern int pixelFormat;  // RGB bit count of the screen: 8 in the game's mode; 15 or 16 on 16-bit displays
extern int clipMinX;     // inclusive rectangle used by sprite wrapping and bouncing
extern int clipMinY;
extern int clipMaxX;
extern int clipMaxY;
extern int windowedMode;
extern std::uint32_t frameStartTick;

// The palette file read at set-up, from the working directory.
inline constexpr const char* START_PALETTE_FILE = "PALDATA2.PAL";

// ---- Operations ----------------------------------------------------------------------------------
// Sets up the screen: width x height at 8 bits per pixel (the only depth supported). 1 when every step
// succeeded, 0 at the first failing one: no platform installed, no font (the platform's lastError()
// names it), a depth other than 8 or a size outside 1 to 8192.
int initDisplay(int width, int height, int bitsPerPixel, int windowed);
// Releases the display objects. 1.
int shutdownDisplay();

// Gives `surface` a clipper made of `count` rectangles; every later blit and fill into the surface is cut
// to them. The clipper, or null when the surface is missing or the arguments make no list.
std::shared_ptr<const Clipper> attachClipper(Surface* surface, int count, const RECT* rects);

// A width x height surface cleared to 0 with the source colour key `colorKey` (low 16 bits); null when a
// side is not 1 to 8192.
std::unique_ptr<Surface> createOffscreenSurface(int width, int height, int memoryFlags, int colorKey);

// Fills `rect` (the whole surface when null) with `color` (a palette index; low 8 bits used on these
// 8-bit surfaces), cut to the surface's clipper. 1; 0 only for a missing surface.
int fillSurface(Surface* surface, int color, const RECT* rect = nullptr);

// Locks the back buffer for direct writes: backBufferMemory (null when there is no back buffer), and
// backBufferPitch. Locking again returns the same pointer; there is no lock count.
std::uint8_t* lockBackBuffer();
// 1, or 0 when the back buffer was not locked.
int unlockBackBuffer();
// Presents the back buffer with the palette. 1, or 0 when the back buffer is locked, there is no
// display, or the platform could not show the frame (tried once, never retried forever).
int flipDisplay();

// Milliseconds from the platform's clock (0 when no platform is installed).
std::uint32_t readClock();
// The tick count, also stored in frameStartTick.
std::uint32_t startClock();
// Returns no sooner than `milliseconds` after frameStartTick (compared as unsigned 32-bit differences,
// so a wrap of the tick counter is harmless), sleeping through the platform rather than spinning.
// The tick count at the end of the wait.
std::uint32_t waitClock(std::uint32_t milliseconds);

// The largest palette file that is read (1 MiB): 256 lines of four numbers take about 4 KiB.
inline constexpr std::size_t PALETTE_MAX_FILE_BYTES = std::size_t{1} << 20;

// Reads 256 entries of "red green blue flags" (decimal, white-space separated) into `entries`, each
// number stored as one byte. The array is cleared first; reading stops at the first entry that is not
// four numbers, leaving the rest zero. 1, or 0 when the file cannot be opened, is not a regular file or
// is larger than PALETTE_MAX_FILE_BYTES (the array is untouched; the last two are reported as content
// problems, and such a file is not read at all).
int loadPaletteFile(const std::string& fileName, PALETTEENTRY* entries);
// The same reading of palette text already in memory into 256 entries. 1, or 0 for null entries.
int parsePaletteText(std::string_view text, PALETTEENTRY* entries);

// The two steps of loadPaletteFile, for tools that check a palette file. The text as much of it as is
// read (nullopt when the file cannot be opened, is not a regular file or is over the cap), and its numbers:
// at most 1024, each with the offset it starts at, up to the first token that is not a number. Complete
// entries are the first size / 4.
struct PaletteNumber {
  int value = 0;
  std::size_t offset = 0;
};
std::optional<std::string> readPaletteText(const std::string& fileName);
std::vector<PaletteNumber> readPaletteNumbers(std::string_view text);

}  // namespace varnholt
