#pragma once
// A forward iterator over elements that are reached by their index through
// an owner, for ranges that make their elements on demand instead of
// holding them side by side. `get(owner, i)` gives element i.

#include <cstddef>
#include <iterator>

namespace corvane {

template <class Owner, class Value, const Value& (*get)(const Owner&, std::size_t)>
class IndexIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = Value;
  using difference_type = std::ptrdiff_t;
  using pointer = const Value*;
  using reference = const Value&;

  IndexIterator() = default;
  IndexIterator(const Owner* owner, std::size_t i) : owner_(owner), i_(i) {}

  reference operator*() const { return get(*owner_, i_); }
  pointer operator->() const { return &get(*owner_, i_); }
  IndexIterator& operator++() {
    ++i_;
    return *this;
  }
  IndexIterator operator++(int) {
    IndexIterator before = *this;
    ++i_;
    return before;
  }
  friend bool operator==(const IndexIterator& a, const IndexIterator& b) { return a.i_ == b.i_; }

 private:
  const Owner* owner_ = nullptr;
  std::size_t i_ = 0;
};

}  // namespace corvane
