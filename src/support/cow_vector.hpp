#pragma once
// An immutable-by-default array with value semantics and copy-on-write
// storage: copying is O(1) (the elements are shared), and the first change
// made through one copy gives that copy elements of its own. Snapshots are
// copied into entries and views freely; with thousands of accounts, that
// copy must not cost what the accounts cost.

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace corvane {

template <class T>
class CowVector {
 public:
  using value_type = T;
  using size_type = std::size_t;
  using const_iterator = typename std::vector<T>::const_iterator;
  using iterator = const_iterator;  // iteration never changes the elements

  CowVector() = default;
  CowVector(std::vector<T> elements)  // NOLINT: converts like the vector it wraps
      : data_(elements.empty() ? nullptr : std::make_shared<std::vector<T>>(std::move(elements))) {}
  CowVector(std::initializer_list<T> elements) : CowVector(std::vector<T>(elements)) {}

  // Reading.
  const std::vector<T>& elements() const { return data_ ? *data_ : none(); }
  size_type size() const { return elements().size(); }
  bool empty() const { return elements().empty(); }
  const_iterator begin() const { return elements().begin(); }
  const_iterator end() const { return elements().end(); }
  const T& operator[](size_type i) const { return elements()[i]; }
  const T& at(size_type i) const { return elements().at(i); }
  const T& front() const { return elements().front(); }
  const T& back() const { return elements().back(); }

  // Changing, after taking elements of its own when they are shared.
  T& operator[](size_type i) { return mutate()[i]; }
  void push_back(T value) { mutate().push_back(std::move(value)); }
  template <class... Args>
  T& emplace_back(Args&&... args) {
    return mutate().emplace_back(std::forward<Args>(args)...);
  }
  void clear() { data_.reset(); }
  void reserve(size_type n) { mutate().reserve(n); }
  void resize(size_type n) { mutate().resize(n); }
  void resize(size_type n, const T& value) { mutate().resize(n, value); }
  void assign(size_type n, const T& value) { mutate().assign(n, value); }

  friend bool operator==(const CowVector& a, const CowVector& b) {
    return a.data_ == b.data_ || a.elements() == b.elements();
  }

 private:
  static const std::vector<T>& none() {
    static const std::vector<T> none;
    return none;
  }
  std::vector<T>& mutate() {
    if (!data_)
      data_ = std::make_shared<std::vector<T>>();
    else if (data_.use_count() > 1)
      data_ = std::make_shared<std::vector<T>>(*data_);
    return *data_;
  }

  std::shared_ptr<std::vector<T>> data_;
};

}  // namespace corvane
