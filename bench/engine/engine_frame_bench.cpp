// A battle frame through the engine: clear, an opaque 800 x 600 background, 20 colour-keyed 56 x 56
// sprites, 10 lines of text and the present, whose palette conversion is done as the SDL backend does it
// (a 256-entry table into 32-bit pixels). Beside it, the baseline: memset, memcpy and the same table
// conversion over the same bytes with no engine around them. After the run the ratio is printed.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/engine.h"
#include "platform/headless/headless_platform.h"

namespace {

using namespace varnholt;

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;
constexpr int SPRITES = 20;
constexpr int SPRITE_SIDE = 56;
constexpr int TEXT_LINES = 10;

// The 8-bit to 32-bit conversion of the SDL backend: a lookup table rebuilt when the palette changes.
struct PaletteConverter {
  std::array<std::uint32_t, 256> table{};
  std::array<PALETTEENTRY, 256> tablePalette{};
  bool built = false;
  std::vector<std::uint32_t> target = std::vector<std::uint32_t>(static_cast<std::size_t>(WIDTH) * HEIGHT);

  void convert(const std::uint8_t* pixels, int width, int height, int pitch, const PALETTEENTRY* palette) {
    if (!built || std::memcmp(tablePalette.data(), palette, sizeof tablePalette) != 0) {
      for (int i = 0; i < 256; ++i) {
        table[i] = 0xFF000000u | (std::uint32_t{palette[i].red} << 16) |
                   (std::uint32_t{palette[i].green} << 8) | palette[i].blue;
      }
      std::memcpy(tablePalette.data(), palette, sizeof tablePalette);
      built = true;
    }
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* src = pixels + static_cast<std::size_t>(y) * pitch;
      std::uint32_t* dst = target.data() + static_cast<std::size_t>(y) * width;
      for (int x = 0; x < width; ++x) dst[x] = table[src[x]];
    }
  }
};

// The headless platform (for the real font) with the SDL backend's conversion as its present.
class BenchPlatform : public platform::HeadlessPlatform {
 public:
  bool present(const platform::Frame& frame) override {
    converter.convert(frame.pixels, frame.width, frame.height, frame.pitch, frame.palette);
    return true;
  }
  PaletteConverter converter;
};

struct FrameScene {
  BenchPlatform host;
  BitmapImage background;
  std::array<Sprite, SPRITES> sprites;
  bool ready = false;

  FrameScene() {
    platform::setCurrent(&host);
    if (initDisplay(WIDTH, HEIGHT, 8, 0) != 1) return;
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
      palette[i] = PALETTEENTRY{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                static_cast<std::uint8_t>(i * 7), PC_NOCOLLAPSE};
    }
    setPalette(palette);

    BitmapFile picture;
    picture.infoHeader.biWidth = WIDTH;
    picture.infoHeader.biHeight = HEIGHT;
    picture.pixels.resize(static_cast<std::size_t>(WIDTH) * HEIGHT);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
      picture.pixels[i] = static_cast<std::uint8_t>(i * 31 / 7);
    createImage(background, 0, 0, WIDTH, HEIGHT, 8);
    loadImage(background, picture, 0, 0, IMAGE_PIXEL_MODE);

    // A round figure on a transparent square, as the unit sheets hold.
    BitmapFile sheet;
    sheet.infoHeader.biWidth = SPRITE_SIDE;
    sheet.infoHeader.biHeight = SPRITE_SIDE;
    for (int y = 0; y < SPRITE_SIDE; ++y) {
      for (int x = 0; x < SPRITE_SIDE; ++x) {
        const int dx = x - 28;
        const int dy = y - 28;
        sheet.pixels.push_back(dx * dx + dy * dy < 26 * 26 ? static_cast<std::uint8_t>(1 + (x + y) % 200)
                                                           : 0);
      }
    }
    for (int i = 0; i < SPRITES; ++i) {
      Sprite& s = sprites[static_cast<std::size_t>(i)];
      createSprite(s, 38 * (1 + i % 10) - 30, 38 * (1 + i / 10 * 3) + 58, SPRITE_SIDE, SPRITE_SIDE, 32,
                   SPRITE_VISIBLE | SPRITE_SINGLE_FRAME, DDSCAPS_SYSTEMMEMORY, 0, 8);
      loadSpriteFrame(s, sheet, 0, 0, 0, IMAGE_PIXEL_MODE);
    }
    ready = host.textRasterizer() != nullptr;
  }
  ~FrameScene() {
    resetEngine();
    platform::setCurrent(nullptr);
  }

  void frame() {
    fillSurface(backBuffer, 0);
    std::uint8_t* memory = lockBackBuffer();
    drawImage(background, memory, backBufferPitch, IMAGE_OPAQUE);
    unlockBackBuffer();
    for (Sprite& s : sprites) drawSprite(s, backBuffer);
    static const char* const lines[TEXT_LINES] = {"Aldric's turn", "HP 45/60",     "SP 12/20", "Attack 17",
                                                  "Defence 11",    "Speed 8",      "Move 4",   "Fireball",
                                                  "Heal",          "Sharpen blade"};
    for (int i = 0; i < TEXT_LINES; ++i) drawText(lines[i], 600, 400 + 15 * i, 0x202020, backBuffer);
    flipDisplay();
  }
};

void BM_BattleFrame(benchmark::State& state) {
  FrameScene scene;
  if (!scene.ready) {
    state.SkipWithError("display or font not available");
    return;
  }
  for (auto _ : state) {
    scene.frame();
    benchmark::DoNotOptimize(scene.host.converter.target.data());
  }
}
BENCHMARK(BM_BattleFrame)->Unit(benchmark::kMicrosecond);

// The same bytes moved with no engine: clear, copy the background, copy the sprite squares, convert.
void BM_Baseline(benchmark::State& state) {
  std::vector<std::uint8_t> screen(static_cast<std::size_t>(WIDTH) * HEIGHT);
  std::vector<std::uint8_t> image(screen.size(), 5);
  std::vector<std::uint8_t> sprite(static_cast<std::size_t>(SPRITE_SIDE) * SPRITE_SIDE, 7);
  PALETTEENTRY palette[256] = {};
  PaletteConverter converter;
  for (auto _ : state) {
    std::memset(screen.data(), 0, screen.size());
    std::memcpy(screen.data(), image.data(), image.size());
    for (int i = 0; i < SPRITES; ++i) {
      for (int y = 0; y < SPRITE_SIDE; ++y) {
        std::memcpy(screen.data() + static_cast<std::size_t>(100 + y + i) * WIDTH + 10 * i,
                    sprite.data() + static_cast<std::size_t>(y) * SPRITE_SIDE, SPRITE_SIDE);
      }
    }
    converter.convert(screen.data(), WIDTH, HEIGHT, WIDTH, palette);
    benchmark::DoNotOptimize(converter.target.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Baseline)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration for the closing ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        // CPU time: the machine is shared, and waiting for a core is not the frame's cost.
        microseconds[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
  }
  std::map<std::string, double> microseconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto frame = reporter.microseconds.find("BM_BattleFrame");
  const auto base = reporter.microseconds.find("BM_Baseline");
  if (frame != reporter.microseconds.end() && base != reporter.microseconds.end() && base->second > 0) {
    std::printf(
        "CPU time per frame: battle frame %.1f us, baseline %.1f us, ratio %.2f (goal: at most 2, under 1000 "
        "us)\n",
        frame->second, base->second, frame->second / base->second);
  }
  benchmark::Shutdown();
  return 0;
}
