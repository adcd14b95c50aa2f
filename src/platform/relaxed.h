// A scalar that one thread writes and another reads. Relaxed order costs what a plain store costs
// and gives the sharing a defined meaning; stale values are corrected on the next frame.
#pragma once

#include <atomic>
#include <type_traits>

namespace platform {

template <typename T>
class Relaxed {
 public:
  constexpr Relaxed() noexcept : value_{} {}
  constexpr Relaxed(T value) noexcept : value_{value} {}  // NOLINT: reads like the plain field
  Relaxed(const Relaxed& other) noexcept : value_{other.load()} {}
  Relaxed& operator=(const Relaxed& other) noexcept {
    store(other.load());
    return *this;
  }
  Relaxed& operator=(T value) noexcept {
    store(value);
    return *this;
  }
  operator T() const noexcept { return load(); }  // NOLINT: reads like the plain field
  T operator->() const noexcept requires std::is_pointer_v<T> { return load(); }

  T load() const noexcept { return value_.load(std::memory_order_relaxed); }
  void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_;
};

}  // namespace platform
