// KeptFrame: the copy of the last presented frame that the web backend draws from, and the places where
// it changed, which are all the backend hands to the canvas.
#include "platform/kept_frame.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace varnholt::platform {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;
constexpr int kPitch = 44;  // rows padded, as the back buffer's are

struct TestFrame {
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(static_cast<std::size_t>(kPitch) * kHeight, 7);
  std::array<PaletteEntry, 256> palette{};
  std::vector<FrameRect> changed;
  bool describeChanges = false;

  std::uint8_t& at(int x, int y) {
    return pixels[static_cast<std::size_t>(y) * kPitch + static_cast<std::size_t>(x)];
  }
  Frame frame() const {
    Frame f{pixels.data(), kWidth, kHeight, kPitch, palette.data()};
    if (describeChanges) {
      f.changed = changed.data();
      f.changedCount = changed.size();
    }
    return f;
  }
};

// Every kept pixel equals the frame's (the padding beyond the width is not part of the picture).
bool keptEquals(const KeptFrame& kept, TestFrame& frame) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (kept.pixels()[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] != frame.at(x, y))
        return false;
    }
  }
  return true;
}

bool sameRect(const FrameRect& a, const FrameRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(KeptFrame, FirstFrameNewSizeOrNewPaletteIsAllPending) {
  KeptFrame kept;
  TestFrame frame;
  kept.keep(frame.frame());
  EXPECT_TRUE(kept.all());
  EXPECT_EQ(kept.width(), kWidth);
  EXPECT_EQ(kept.height(), kHeight);
  EXPECT_TRUE(keptEquals(kept, frame));
  kept.clearPending();
  EXPECT_TRUE(kept.unchanged());

  kept.keep(frame.frame());
  EXPECT_TRUE(kept.unchanged()) << "the same picture again leaves nothing to draw";

  frame.palette[200].green = 9;
  kept.keep(frame.frame());
  EXPECT_TRUE(kept.all()) << "a new palette changes every pixel's colour";
  kept.clearPending();

  Frame smaller = frame.frame();
  smaller.height = kHeight - 1;
  kept.keep(smaller);
  EXPECT_TRUE(kept.all());
  EXPECT_EQ(kept.height(), kHeight - 1);
}

TEST(KeptFrame, ChangesBecomeTheRectanglesAroundThem) {
  KeptFrame kept;
  TestFrame frame;
  kept.keep(frame.frame());
  kept.clearPending();

  // Without a description, the whole frame is compared: one rectangle around everything that differs,
  // the columns narrowed to the first and last differing pixel.
  frame.at(3, 5) = 1;
  frame.at(30, 9) = 2;
  frame.at(kWidth - 1, 9) = 3;  // the last column: compared past the last whole word
  kept.keep(frame.frame());
  ASSERT_EQ(kept.pending().size(), 1u);
  EXPECT_TRUE(sameRect(kept.pending()[0], FrameRect{3, 5, kWidth, 10}));
  EXPECT_TRUE(keptEquals(kept, frame));
  kept.clearPending();

  // With a description, each place is compared alone; a described place where nothing differs adds
  // nothing, and a place reaching beyond the frame is cut to it.
  frame.describeChanges = true;
  frame.at(12, 20) = 4;
  frame.at(13, 21) = 4;
  frame.changed = {FrameRect{10, 18, 20, 25}, FrameRect{0, 0, 8, 4}, FrameRect{35, 28, 60, 90}};
  frame.at(36, 29) = 5;
  kept.keep(frame.frame());
  ASSERT_EQ(kept.pending().size(), 2u);
  EXPECT_TRUE(sameRect(kept.pending()[0], FrameRect{12, 20, 14, 22}));
  EXPECT_TRUE(sameRect(kept.pending()[1], FrameRect{36, 29, 37, 30}));
  EXPECT_TRUE(keptEquals(kept, frame));
}

TEST(KeptFrame, OutsideTheDescribedPlacesNothingIsLookedAt) {
  // The description says where the frame can differ from the one presented before: a difference
  // elsewhere is the sender's promise broken, and is neither copied nor drawn.
  KeptFrame kept;
  TestFrame frame;
  kept.keep(frame.frame());
  kept.clearPending();
  frame.describeChanges = true;
  frame.changed = {FrameRect{0, 0, 4, 4}};
  frame.at(20, 20) = 9;
  kept.keep(frame.frame());
  EXPECT_TRUE(kept.unchanged());
  EXPECT_EQ(kept.pixels()[20 * kWidth + 20], 7);
}

TEST(KeptFrame, ManyPlacesMergeIntoOne) {
  KeptFrame kept;
  TestFrame frame;
  kept.keep(frame.frame());
  kept.clearPending();
  frame.describeChanges = true;
  // More separate changes than are kept apart between two draws: merged into the rectangle around them.
  for (int i = 0; i <= static_cast<int>(KeptFrame::kMaxPending); ++i) {
    const int x = i % kWidth;
    const int y = (i * 7) % kHeight;
    frame.at(x, y) = static_cast<std::uint8_t>(100 + i);
    frame.changed = {FrameRect{x, y, x + 1, y + 1}};
    kept.keep(frame.frame());
  }
  ASSERT_EQ(kept.pending().size(), 1u);
  const FrameRect around = kept.pending()[0];
  EXPECT_EQ(around.left, 0);
  EXPECT_EQ(around.top, 0);
  EXPECT_EQ(around.right, static_cast<int>(KeptFrame::kMaxPending) + 1);
  EXPECT_EQ(around.bottom, kHeight);
  EXPECT_TRUE(keptEquals(kept, frame));
}

}  // namespace
}  // namespace varnholt::platform
