#pragma once
#include <utility>
#include <variant>

namespace clipvane {

// The reason a call gives instead of its value, to be returned as an Expected.
template <typename E>
struct Unexpected {
  E error;
};

template <typename E>
Unexpected<E> MakeUnexpected(E error) {
  return Unexpected<E>{std::move(error)};
}

// A value, or the reason there is none: what a call that can fail at a boundary (a
// program that does not start) returns, so that the failure reaches the caller as a
// value instead of a line on stderr. Spelt as C++23's std::expected, which it stands in
// for until the project moves to that standard.
template <typename T, typename E>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Unexpected<E> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  // Only when has_value().
  T& value() { return std::get<0>(state_); }
  const T& value() const { return std::get<0>(state_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // Only when !has_value().
  const E& error() const { return std::get<1>(state_); }

  // Equal to a value when it holds that value, as std::expected is.
  friend bool operator==(const Expected& expected, const T& value) {
    return expected.has_value() && *expected == value;
  }

 private:
  std::variant<T, E> state_;
};

}  // namespace clipvane
