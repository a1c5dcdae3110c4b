// Costs of the platform's per-frame work: a line of text from the cache and rasterised afresh, the
// palette conversion of a full frame, the test for an unchanged frame, and the headless capture and hash
// of one.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "platform/font/font_rasterizer.h"
#include "platform/headless/headless_platform.h"
#ifdef VARNHOLT_BENCH_SDL
#include "platform/sdl/frame_conversion.h"
#endif

namespace varnholt::platform {
namespace {

constexpr const char* STATUS_LINE = "HP 120/120  SP 14/30  ATK 37  DEF 21";

void renderLine(benchmark::State& state, bool cached) {
  std::string error;
  auto font = FontRasterizer::open(findDefaultFontPath(), GAME_FONT_SIZE, error);
  if (!font) {
    state.SkipWithError(error.c_str());
    return;
  }
  if (!cached) font->setCacheLimits(0, 0);
  TextMask mask;
  for (auto _ : state) {
    font->render(STATUS_LINE, mask);
    benchmark::DoNotOptimize(mask.ink.data());
  }
}
void BM_TextCached(benchmark::State& state) {
  renderLine(state, true);
}
void BM_TextRasterised(benchmark::State& state) {
  renderLine(state, false);
}
BENCHMARK(BM_TextCached);
BENCHMARK(BM_TextRasterised);

struct FullFrame {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(800 * 600);
  std::array<PaletteEntry, 256> palette{};
  FullFrame() {
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 800);
  }
  Frame frame() const { return {pixels.data(), 800, 600, 800, palette.data()}; }
};

void BM_HeadlessPresent(benchmark::State& state) {
  FullFrame source;
  HeadlessPlatform platform;
  for (auto _ : state) benchmark::DoNotOptimize(platform.present(source.frame()));
}
BENCHMARK(BM_HeadlessPresent);

void BM_FrameHash(benchmark::State& state) {
  FullFrame source;
  for (auto _ : state) benchmark::DoNotOptimize(hashFrame(source.frame()));
}
BENCHMARK(BM_FrameHash);

#ifdef VARNHOLT_BENCH_SDL
void BM_PaletteConversion(benchmark::State& state) {
  FullFrame source;
  PaletteLookup lookup{};
  buildPaletteLookup(source.palette.data(), lookup);
  std::vector<std::uint32_t> target(800 * 600);
  for (auto _ : state) {
    convertFrame(source.frame(), lookup, target.data(), 800 * 4);
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_PaletteConversion);

// What an idle screen costs the SDL backend per present: comparing the frame with the one on screen.
void BM_UnchangedFrameCheck(benchmark::State& state) {
  FullFrame source;
  ShownFrame shown;
  shown.keep(source.frame());
  for (auto _ : state) benchmark::DoNotOptimize(shown.matches(source.frame()));
}
BENCHMARK(BM_UnchangedFrameCheck);
#endif

}  // namespace
}  // namespace varnholt::platform
