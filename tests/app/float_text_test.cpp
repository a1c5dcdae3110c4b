// The web build writes floats in the JSON state without std::to_chars: its text must be to_chars's own,
// or a replay's state would read differently in the browser.
#include "app/float_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

namespace varnholt::app {
namespace {

std::string toChars(float number) {
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, number);
  return ec == std::errc() ? std::string(text, end) : std::string();
}

TEST(FloatText, WritesWhatToCharsWrites) {
  std::vector<float> numbers = {0.0f,      -0.0f, 1.0f,   -1.0f,   0.1f,      1e-5f,  1e-4f,
                                123456.0f, 1e7f,  1e10f,  3.4e38f, 1e-38f,    1e-45f, 16777216.0f,
                                0.3f,      2.5f,  100.0f, 150.0f,  1000000.0f};
  // Screen positions as the game makes them: whole pixels, halves, quarters, and steps of a tenth.
  for (int i = -2000; i <= 2000; ++i) {
    numbers.push_back(static_cast<float>(i));
    numbers.push_back(static_cast<float>(i) / 2);
    numbers.push_back(static_cast<float>(i) / 4);
    numbers.push_back(static_cast<float>(i) * 0.1f);
  }
  for (int e = -140; e <= 127; ++e) numbers.push_back(std::ldexp(1.0f, e));
  std::mt19937 random(7);
  while (numbers.size() < 200000) {
    const std::uint32_t bits = random();
    float number = 0;
    std::memcpy(&number, &bits, sizeof number);
    if (std::isfinite(number)) numbers.push_back(number);
  }
  int differing = 0;
  for (const float number : numbers) {
    const std::string expected = toChars(number);
    const std::string actual = shortestFloatText(number);
    if (actual != expected && ++differing <= 5)
      ADD_FAILURE() << "to_chars " << expected << ", ours " << actual;
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace varnholt::app
