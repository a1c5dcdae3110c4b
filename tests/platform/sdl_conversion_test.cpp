// The SDL backend's pure parts, which need no display: key translation and frame conversion.
#include <SDL2/SDL_scancode.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/sdl/frame_conversion.h"
#include "platform/sdl/keymap.h"

namespace varnholt::platform {
namespace {

TEST(KeyMap, GameKeysLandOnTheirDirectInputCodes) {
  struct Case {
    SDL_Scancode scancode;
    int code;
  };
  const Case cases[] = {
      {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
      {SDL_SCANCODE_BACKSPACE, DIK_BACK},
      {SDL_SCANCODE_RETURN, DIK_RETURN},
      {SDL_SCANCODE_SPACE, DIK_SPACE},
      {SDL_SCANCODE_UP, DIK_UP},
      {SDL_SCANCODE_LEFT, DIK_LEFT},
      {SDL_SCANCODE_RIGHT, DIK_RIGHT},
      {SDL_SCANCODE_DOWN, DIK_DOWN},
      {SDL_SCANCODE_A, 0x1E},
      {SDL_SCANCODE_Z, 0x2C},
      {SDL_SCANCODE_1, 0x02},
      {SDL_SCANCODE_0, 0x0B},
      {SDL_SCANCODE_F1, 0x3B},
      {SDL_SCANCODE_F10, 0x44},
      {SDL_SCANCODE_F11, 0x57},
      {SDL_SCANCODE_F12, 0x58},
      {SDL_SCANCODE_LSHIFT, 0x2A},
      {SDL_SCANCODE_RCTRL, 0x9D},
      {SDL_SCANCODE_RALT, 0xB8},
      {SDL_SCANCODE_KP_ENTER, 0x9C},
  };
  for (const Case& c : cases) EXPECT_EQ(directInputCode(c.scancode), c.code) << "scancode " << c.scancode;
}

TEST(KeyMap, NoTwoKeysShareACodeAndOutOfRangeIsNoKey) {
  std::set<int> seen;
  for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
    const int code = directInputCode(scancode);
    if (code == 0) continue;
    EXPECT_TRUE(seen.insert(code).second) << "code " << code << " used twice";
    EXPECT_EQ(sdlScancode(static_cast<std::uint8_t>(code)), scancode) << "code " << code << " back";
  }
  EXPECT_GE(seen.size(), 100u);
  EXPECT_EQ(sdlScancode(0), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(sdlScancode(0xFF), SDL_SCANCODE_UNKNOWN);
  EXPECT_EQ(directInputCode(-1), 0);
  EXPECT_EQ(directInputCode(SDL_NUM_SCANCODES), 0);
}

TEST(FrameConversion, PaletteEntriesBecomeOpaqueArgbPixels) {
  std::array<PaletteEntry, 256> palette{};
  palette[1] = {0x12, 0x34, 0x56, 4};
  palette[255] = {255, 0, 128, 2};
  PaletteLookup lookup{};
  buildPaletteLookup(palette.data(), lookup);
  EXPECT_EQ(lookup[0], 0xFF000000u);
  EXPECT_EQ(lookup[1], 0xFF123456u);
  EXPECT_EQ(lookup[255], 0xFFFF0080u);
}

TEST(FrameConversion, ReadsAndWritesRowsByTheirOwnPitches) {
  std::array<PaletteEntry, 256> palette{};
  for (int i = 0; i < 256; ++i) palette[i] = {static_cast<std::uint8_t>(i), 0, 0, 0};
  PaletteLookup lookup{};
  buildPaletteLookup(palette.data(), lookup);
  const std::vector<std::uint8_t> pixels{1, 2, 9, 3, 4, 9};  // 2 x 2, pitch 3
  const Frame frame{pixels.data(), 2, 2, 3, palette.data()};
  std::vector<std::uint32_t> target(3 * 2, 0xDEADBEEFu);  // pitch of 3 pixels: the third stays untouched
  convertFrame(frame, lookup, target.data(), 3 * 4);
  EXPECT_EQ(target, (std::vector<std::uint32_t>{0xFF010000u, 0xFF020000u, 0xDEADBEEFu, 0xFF030000u,
                                                0xFF040000u, 0xDEADBEEFu}));
}

// The kept frame is compared by its visible pixels and its palette only: a change anywhere in them
// must count, the row padding must not, and the kept copy must not alias the caller's buffer.
TEST(ShownFrame, MatchesOnlyTheSamePictureWhateverItsRowPadding) {
  std::array<PaletteEntry, 256> palette{};
  palette[7] = {10, 20, 30, 0};
  std::vector<std::uint8_t> pixels{1, 2, 0xAA, 3, 4, 0xBB};  // 2 x 2, pitch 3
  const Frame frame{pixels.data(), 2, 2, 3, palette.data()};

  ShownFrame shown;
  EXPECT_FALSE(shown.matches(frame)) << "nothing is on screen yet";
  shown.keep(frame);
  EXPECT_TRUE(shown.matches(frame));

  const std::vector<std::uint8_t> packed{1, 2, 3, 4};
  EXPECT_TRUE(shown.matches({packed.data(), 2, 2, 2, palette.data()})) << "same picture, other pitch";
  pixels[2] = 0xCC;
  pixels[5] = 0xDD;
  EXPECT_TRUE(shown.matches(frame)) << "padding changed only";

  struct Change {
    const char* what;
    int index;
  };
  for (const Change change : {Change{"first pixel", 0}, Change{"last pixel", 4}}) {
    const std::uint8_t before = pixels[change.index];
    pixels[change.index] = 9;
    EXPECT_FALSE(shown.matches(frame)) << change.what;
    pixels[change.index] = before;
  }
  EXPECT_FALSE(shown.matches({packed.data(), 1, 2, 2, palette.data()})) << "narrower";
  EXPECT_FALSE(shown.matches({packed.data(), 2, 1, 2, palette.data()})) << "shorter";

  for (const int entry : {0, 7, 255}) {
    const PaletteEntry before = palette[entry];
    palette[entry].blue ^= 1;
    EXPECT_FALSE(shown.matches(frame)) << "palette entry " << entry;
    palette[entry] = before;
  }
  EXPECT_TRUE(shown.matches(frame));

  shown.forget();
  EXPECT_FALSE(shown.matches(frame));
}

}  // namespace
}  // namespace varnholt::platform
