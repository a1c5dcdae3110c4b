// BoundedList: which element an add evicts, how hits age the others, and how remove keeps ages with
// their elements.

#include "data/bounded_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace varnholt {
namespace {

// Equal by both members, so find and findId can be told apart.
struct Tagged {
  int id = 0;
  int tag = 0;
  friend bool operator==(const Tagged&, const Tagged&) = default;
};

template <typename List>
std::vector<int> ages(const List& list) {
  std::vector<int> out;
  for (int i = 0; i < list.count(); ++i) out.push_back(list.ageAt(i));
  return out;
}

TEST(BoundedListEviction, FullListWithoutHitsDropsTheFirstAdded) {
  BoundedList<Tagged, 50> list;
  for (int id = 1; id <= 51; ++id) list.add({id, 0});
  ASSERT_EQ(list.count(), 50);
  EXPECT_EQ(list.findId(1), -1);
  EXPECT_EQ(list.at(0).id, 2);
  EXPECT_EQ(list.at(49).id, 51);
}

TEST(BoundedListEviction, FindIdHitKeepsItsAgeAndTheGreatestAgeGoes) {
  BoundedList<Tagged, 3> list;
  for (int id = 1; id <= 3; ++id) list.add({id, 0});
  EXPECT_EQ(list.findId(1), 0);
  EXPECT_EQ(ages(list), (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(list.findId(9), -1);
  EXPECT_EQ(ages(list), (std::vector<int>{2, 2, 1}));
  // Equal greatest ages: the lower index goes, here the element just hit.
  list.add({4, 0});
  EXPECT_EQ(list.findId(1), -1);
  // A strictly greater age goes wherever it stands: two hits on 2 leave 3 the oldest.
  list.findId(2);
  list.findId(2);
  list.add({5, 0});
  EXPECT_EQ(list.at(0).id, 2);
  EXPECT_EQ(list.at(1).id, 4);
}

TEST(BoundedListEviction, FindRefreshesTheElementFound) {
  BoundedList<GridPos, 3> cells;
  for (int column = 1; column <= 3; ++column) cells.add({column, 1});
  EXPECT_EQ(cells.find({1, 1}), 0);
  EXPECT_EQ(ages(cells), (std::vector<int>{0, 2, 1}));
  cells.add({4, 1});
  EXPECT_EQ(cells.find({2, 1}), -1);
  EXPECT_EQ(cells.at(2), (GridPos{4, 1}));
}

TEST(BoundedListRemove, ShiftsLaterElementsWithTheirAges) {
  BoundedList<Tagged, 4> list;
  for (int id = 1; id <= 4; ++id) list.add({id, id});
  list.remove({2, 99});  // equality is by every member: no match
  EXPECT_EQ(list.count(), 4);
  list.remove({2, 2});
  EXPECT_EQ(list.at(1).id, 3);
  EXPECT_EQ(ages(list), (std::vector<int>{3, 1, 0}));
  list.add({5, 5});
  EXPECT_EQ(ages(list), (std::vector<int>{4, 2, 1, 0}));
  EXPECT_EQ(list.at(4), (Tagged{}));
  EXPECT_EQ(list.at(-1), (Tagged{}));
}

TEST(IdListTest, SixteenIdsKeepTheLastFifteenInOrder) {
  IdList list;
  for (int id = 1; id <= 16; ++id) list.add(id);
  ASSERT_EQ(list.count(), 15);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(list.at(i), i + 2);
}

}  // namespace
}  // namespace varnholt
