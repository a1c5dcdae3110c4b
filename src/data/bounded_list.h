#pragma once
// BoundedList: the fixed-capacity list of values used for the record caches, the battle's units, the
// roster and the cell sets. Every slot carries an age, and a full list makes room by evicting the oldest
// element; which element survives and in what order is part of the game's rules, so the age bookkeeping
// below is exact. Also GridPos (a grid cell) and IdList (a character's or class's skill ids).

#include <limits>
#include <type_traits>

namespace varnholt {

// A cell of the battle grid; columns and rows are 1-based.
struct GridPos {
  int column = 0;
  int row = 0;
  friend bool operator==(const GridPos&, const GridPos&) = default;
};

template <typename T, int N>
class BoundedList {
  static_assert(N > 0, "a BoundedList needs at least one slot");

 public:
  // Appends a copy; a full list first evicts its oldest element.
  void add(const T& value) {
    if (count_ == N) evictOldest();
    for (int i = 0; i < count_; ++i) age(i);
    items_[count_] = value;
    ages_[count_] = 0;
    ++count_;
  }

  // Index of the first element whose id is `key`, or -1. A hit ages every other element; the element found
  // keeps its age. A miss changes nothing.
  int findId(int key) {
    for (int i = 0; i < count_; ++i) {
      if (idOf(items_[i]) == key) {
        for (int j = 0; j < count_; ++j)
          if (j != i) age(j);
        return i;
      }
    }
    return -1;
  }

  // Index of the first element equal to `value`, or -1. A hit makes the element found the youngest and ages
  // every other one.
  int find(const T& value) {
    for (int i = 0; i < count_; ++i) {
      if (items_[i] == value) {
        for (int j = 0; j < count_; ++j) {
          if (j == i)
            ages_[j] = 0;
          else
            age(j);
        }
        return i;
      }
    }
    return -1;
  }

  // Removes the first element equal to `value`, closing the gap; no ages change. Nothing happens when no
  // element is equal.
  void remove(const T& value) {
    for (int i = 0; i < count_; ++i) {
      if (items_[i] == value) {
        removeAt(i);
        return;
      }
    }
  }

  // A copy of element i; an index outside 0 .. count() - 1 gives a default-constructed value.
  T at(int i) const { return (i >= 0 && i < count_) ? items_[i] : T{}; }

  // The age of element i (0 outside the list); the eviction order is read from it.
  int ageAt(int i) const { return (i >= 0 && i < count_) ? ages_[i] : 0; }

  int count() const { return count_; }
  static constexpr int capacity() { return N; }
  void clear() {
    for (int i = 0; i < count_; ++i) ages_[i] = 0;
    count_ = 0;
  }

 private:
  static int idOf(const T& value) {
    if constexpr (std::is_arithmetic_v<T>)
      return static_cast<int>(value);
    else
      return value.id;
  }

  // Ages stop at the largest int rather than overflow; only a run of billions of lookups could get there.
  void age(int i) {
    if (ages_[i] < std::numeric_limits<int>::max()) ++ages_[i];
  }

  // The greatest age goes; on equal ages the lowest index.
  void evictOldest() {
    int pick = 0;
    for (int i = 1; i < count_; ++i)
      if (ages_[i] > ages_[pick]) pick = i;
    removeAt(pick);
  }

  void removeAt(int index) {
    for (int i = index; i + 1 < count_; ++i) {
      items_[i] = items_[i + 1];
      ages_[i] = ages_[i + 1];
    }
    --count_;
    ages_[count_] = 0;
  }

  T items_[N] = {};
  int ages_[N] = {};
  int count_ = 0;
};

// Skill ids of a class or a character: at most 15, the oldest dropped first.
using IdList = BoundedList<int, 15>;

}  // namespace varnholt
