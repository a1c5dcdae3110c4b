// CIE Lab, CIEDE2000 and the mapping of a picture onto a palette.
#include "picture/colour_match.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace varnholt::imaging {

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

double linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labCurve(double t) {
  constexpr double delta = 6.0 / 29.0;
  return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29.0;
}

double pow7(double x) {
  const double x2 = x * x, x3 = x2 * x;
  return x3 * x3 * x;
}

// The angle of (a, b) in degrees, 0 to 360; 0 for the origin.
double hueAngle(double b, double a) {
  if (a == 0 && b == 0) return 0;
  const double h = std::atan2(b, a) * kDegrees;
  return h < 0 ? h + 360 : h;
}

// CIEDE2000's hue weighting T of the mean hue, from one sine and cosine of it by the multiple-angle
// formulas rather than four cosines.
double hueWeight(double hue) {
  const double radians = hue / kDegrees;
  const double c1 = std::cos(radians), s1 = std::sin(radians);
  const double c2 = c1 * c1 - s1 * s1, s2 = 2 * s1 * c1;
  const double c3 = c2 * c1 - s2 * s1, s3 = s2 * c1 + c2 * s1;
  const double c4 = c2 * c2 - s2 * s2, s4 = 2 * s2 * c2;
  static const double cos30 = std::cos(30 / kDegrees), sin30 = std::sin(30 / kDegrees);
  static const double cos6 = std::cos(6 / kDegrees), sin6 = std::sin(6 / kDegrees);
  static const double cos63 = std::cos(63 / kDegrees), sin63 = std::sin(63 / kDegrees);
  return 1 - 0.17 * (c1 * cos30 + s1 * sin30) + 0.24 * c2 + 0.32 * (c3 * cos6 - s3 * sin6) -
         0.20 * (c4 * cos63 + s4 * sin63);
}

// CIEDE2000's lightness weight SL of the mean lightness.
double lightnessWeight(double lMean) {
  const double lOff = (lMean - 50) * (lMean - 50);
  return 1 + 0.015 * lOff / std::sqrt(20 + lOff);
}

double chroma(double a, double b) {
  return std::sqrt(a * a + b * b);
}

// CIEDE2000 divides the lightness difference by SL, which is largest (1 + 0.015 * 2500 / sqrt(2520),
// about 1.7470) at the ends of the L* range; the other terms never make the sum under the root smaller
// than (dL / SL)^2. So |dL| / 1.75 is a lower bound of the difference, by which the search stops early.
constexpr double kLargestLightnessWeight = 1.75;

}  // namespace

Lab toLab(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const double r = linear(red), g = linear(green), b = linear(blue);
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const double fx = labCurve(x), fy = labCurve(y), fz = labCurve(z);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double ciede2000(const Lab& first, const Lab& second) {
  const double c1 = chroma(first.a, first.b), c2 = chroma(second.a, second.b);
  const double cMean7 = pow7((c1 + c2) / 2);
  const double twentyFive7 = pow7(25.0);
  const double g = 0.5 * (1 - std::sqrt(cMean7 / (cMean7 + twentyFive7)));
  const double a1 = (1 + g) * first.a, a2 = (1 + g) * second.a;
  const double c1p = chroma(a1, first.b), c2p = chroma(a2, second.b);
  const double h1p = hueAngle(first.b, a1), h2p = hueAngle(second.b, a2);

  const double dL = second.l - first.l;
  const double dC = c2p - c1p;
  const double chromaProduct = c1p * c2p;
  double dh = 0;
  if (chromaProduct != 0) {
    dh = h2p - h1p;
    if (dh > 180)
      dh -= 360;
    else if (dh < -180)
      dh += 360;
  }
  const double dH = 2 * std::sqrt(chromaProduct) * std::sin(dh / 2 / kDegrees);

  const double lMean = (first.l + second.l) / 2;
  const double cMeanP = (c1p + c2p) / 2;
  double hMean = h1p + h2p;
  if (chromaProduct != 0) {
    if (std::fabs(h1p - h2p) <= 180)
      hMean /= 2;
    else if (hMean < 360)
      hMean = (hMean + 360) / 2;
    else
      hMean = (hMean - 360) / 2;
  }
  const double t = hueWeight(hMean);
  const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
  const double cMeanP7 = pow7(cMeanP);
  const double rC = 2 * std::sqrt(cMeanP7 / (cMeanP7 + twentyFive7));
  const double sL = lightnessWeight(lMean);
  const double sC = 1 + 0.045 * cMeanP;
  const double sH = 1 + 0.015 * cMeanP * t;
  const double rT = -std::sin(2 * dTheta / kDegrees) * rC;
  const double l = dL / sL, c = dC / sC, h = dH / sH;
  return std::sqrt(std::max(0.0, l * l + c * c + h * h + rT * c * h));
}

ColourMatcher::ColourMatcher(const PaletteTable& palette) {
  for (int i = 1; i < 256; ++i)
    byLightness_.push_back({toLab(palette[i].red, palette[i].green, palette[i].blue), i});
  std::stable_sort(byLightness_.begin(), byLightness_.end(),
                   [](const Entry& x, const Entry& y) { return x.lab.l < y.lab.l; });
}

std::uint8_t ColourMatcher::nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::uint32_t key =
      (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) | blue;
  if (const auto known = found_.find(key); known != found_.end()) return known->second;

  const Lab lab = toLab(red, green, blue);
  // Outwards from the entries of nearest lightness, the nearer in L* first, until the lightness bound
  // alone exceeds the best difference found.
  const auto start = std::lower_bound(byLightness_.begin(), byLightness_.end(), lab.l,
                                      [](const Entry& entry, double l) { return entry.lab.l < l; });
  std::ptrdiff_t below = start - byLightness_.begin() - 1;
  std::ptrdiff_t above = below + 1;
  const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(byLightness_.size());
  double best = std::numeric_limits<double>::infinity();
  int bestIndex = 256;
  while (below >= 0 || above < count) {
    const bool takeAbove = above < count && (below < 0 || byLightness_[above].lab.l - lab.l <=
                                                              lab.l - byLightness_[below].lab.l);
    const Entry& entry = takeAbove ? byLightness_[above++] : byLightness_[below--];
    const double lightness = std::fabs(entry.lab.l - lab.l);
    if (lightness / kLargestLightnessWeight > best + 1e-9) break;
    // The same bound with this pair's own weight, before the whole difference is worked out.
    if (lightness / lightnessWeight((entry.lab.l + lab.l) / 2) > best + 1e-9) continue;
    const double difference = ciede2000(lab, entry.lab);
    if (difference < best || (difference == best && entry.index < bestIndex)) {
      best = difference;
      bestIndex = entry.index;
    }
  }
  const auto index = static_cast<std::uint8_t>(bestIndex);
  found_.emplace(key, index);
  return index;
}

std::vector<std::uint8_t> mapToPalette(const Image& image, const PaletteTable& palette,
                                       const MapOptions& options) {
  const std::size_t width = static_cast<std::size_t>(image.width);
  const std::size_t count = width * static_cast<std::size_t>(image.height);
  std::vector<std::uint8_t> indices(count, 0);
  if (image.pixels.size() != count) return indices;
  ColourMatcher matcher(palette);

  const auto transparent = [&](const Rgba& pixel) {
    return pixel.alpha < kOpaqueAlpha ||
           (options.transparent && pixel.red == options.transparent->red &&
            pixel.green == options.transparent->green && pixel.blue == options.transparent->blue);
  };
  // The index the picture itself gives a pixel, when the palette has the same colour there.
  const auto ownIndex = [&](std::size_t at) -> int {
    if (!image.indexed()) return 0;
    const std::uint8_t index = image.indices[at];
    if (index == 0 || index >= image.table.size()) return 0;
    const Rgba& own = image.table[index];
    const PALETTEENTRY& entry = palette[index];
    return own.red == entry.red && own.green == entry.green && own.blue == entry.blue ? index : 0;
  };

  if (!options.dither) {
    for (std::size_t i = 0; i < count; ++i) {
      const Rgba& pixel = image.pixels[i];
      if (transparent(pixel)) continue;
      const int own = ownIndex(i);
      indices[i] =
          own != 0 ? static_cast<std::uint8_t>(own) : matcher.nearest(pixel.red, pixel.green, pixel.blue);
    }
    return indices;
  }

  // Floyd-Steinberg: each opaque pixel's error (the colour asked for, with the error it received, less
  // the entry chosen) goes 7/16 to the right, 3/16 below left, 5/16 below and 1/16 below right. Transparent
  // pixels neither take nor pass on error. Rows carry one spare column at each end.
  struct Error {
    float red = 0, green = 0, blue = 0;
  };
  std::vector<Error> current(width + 2), next(width + 2);
  for (int y = 0; y < image.height; ++y) {
    std::fill(next.begin(), next.end(), Error{});
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      const Rgba& pixel = image.pixels[at];
      if (transparent(pixel)) continue;
      const Error& carried = current[x + 1];
      const float red = std::clamp(pixel.red + carried.red, 0.0f, 255.0f);
      const float green = std::clamp(pixel.green + carried.green, 0.0f, 255.0f);
      const float blue = std::clamp(pixel.blue + carried.blue, 0.0f, 255.0f);
      const bool untouched = carried.red == 0 && carried.green == 0 && carried.blue == 0;
      const int own = untouched ? ownIndex(at) : 0;
      const std::uint8_t index = own != 0 ? static_cast<std::uint8_t>(own)
                                          : matcher.nearest(static_cast<std::uint8_t>(std::lround(red)),
                                                            static_cast<std::uint8_t>(std::lround(green)),
                                                            static_cast<std::uint8_t>(std::lround(blue)));
      indices[at] = index;
      const Error error{red - palette[index].red, green - palette[index].green, blue - palette[index].blue};
      const auto spread = [&](Error& into, float share) {
        into.red += error.red * share;
        into.green += error.green * share;
        into.blue += error.blue * share;
      };
      spread(current[x + 2], 7.0f / 16);
      spread(next[x], 3.0f / 16);
      spread(next[x + 1], 5.0f / 16);
      spread(next[x + 2], 1.0f / 16);
    }
    std::swap(current, next);
  }
  return indices;
}

}  // namespace varnholt::imaging
