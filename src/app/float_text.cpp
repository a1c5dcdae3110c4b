// Shortest round-trip text of a float, without std::to_chars.
#include "app/float_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace varnholt::app {

namespace {

// The d-digit decimal mantissa (as an integer) and exponent of `number`'s shortest round-trip form:
// of the d-digit numbers next to it, the one closest to it that reads back as the same float.
bool shortestDigits(float number, int digits, long long& mantissa, int& exponent) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", digits - 1, static_cast<double>(std::fabs(number)));
  long long nearest = 0;
  for (const char* c = text; *c != 'e'; ++c) {
    if (*c != '.') nearest = nearest * 10 + (*c - '0');
  }
  const int power = std::atoi(std::strchr(text, 'e') + 1);
  long long low = 1;
  for (int i = 1; i < digits; ++i) low *= 10;
  bool found = false;
  long double bestDistance = 0;
  const long double exact = std::fabs(static_cast<long double>(number));
  for (long long candidate = nearest - 1; candidate <= nearest + 1; ++candidate) {
    if (candidate < low || candidate >= low * 10) continue;
    std::snprintf(text, sizeof text, "%llde%d", candidate, power - digits + 1);
    if (std::strtof(text, nullptr) != std::fabs(number)) continue;
    const long double distance = std::fabs(std::strtold(text, nullptr) - exact);
    // Equally close (the float lies halfway): the even one, as rounding to nearest does.
    const bool tie = found && std::fabs(distance - bestDistance) <= exact * 1e-18L;
    if (!found || (tie ? candidate % 2 == 0 : distance < bestDistance)) {
      found = true;
      bestDistance = distance;
      mantissa = candidate;
      exponent = power;
    }
  }
  return found;
}

}  // namespace

std::string shortestFloatText(float number) {
  const std::string sign = std::signbit(number) ? "-" : "";
  if (number == 0) return sign + "0";
  long long mantissa = 0;
  int exponent = 0;
  int digits = 1;
  while (digits < 9 && !shortestDigits(number, digits, mantissa, exponent)) ++digits;
  if (digits == 9) shortestDigits(number, 9, mantissa, exponent);
  const std::string figures = std::to_string(mantissa);

  std::string scientific = figures.substr(0, 1);
  if (figures.size() > 1) scientific += "." + figures.substr(1);
  const int magnitude = std::abs(exponent);
  scientific +=
      std::string("e") + (exponent < 0 ? "-" : "+") + (magnitude < 10 ? "0" : "") + std::to_string(magnitude);

  std::string fixed;
  const int size = static_cast<int>(figures.size());
  if (exponent >= size - 1) {
    // A whole number: as long as it is, so its exact digits are the closest of that length.
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", static_cast<double>(std::fabs(number)));
    fixed = text;
  } else if (exponent >= 0) {
    fixed = figures.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
            figures.substr(static_cast<std::size_t>(exponent + 1));
  } else {
    fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + figures;
  }
  return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

}  // namespace varnholt::app
