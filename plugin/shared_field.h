// A field that the host's two threads share without a lock. Loads and stores
// are whole-value and relaxed: on x86 they compile to the same plain moves
// as an ordinary field, but the race is defined behaviour and tools such as
// ThreadSanitizer can tell it from an accidental one.
#pragma once

#include <atomic>

namespace sorvane {

template <class T>
class SharedField {
 public:
  constexpr SharedField() noexcept : value(T{}) {}
  constexpr explicit SharedField(T initial) noexcept : value(initial) {}
  SharedField(const SharedField&) = delete;
  SharedField& operator=(const SharedField&) = delete;

  T load() const noexcept { return value.load(std::memory_order_relaxed); }
  void store(T v) noexcept { value.store(v, std::memory_order_relaxed); }
  // Takes the value and leaves replacement in one step, so a store made by
  // the other thread meanwhile is never lost.
  T exchange(T replacement) noexcept { return value.exchange(replacement, std::memory_order_relaxed); }
  operator T() const noexcept { return load(); }
  SharedField& operator=(T v) noexcept {
    store(v);
    return *this;
  }

 private:
  std::atomic<T> value;
  static_assert(std::atomic<T>::is_always_lock_free);
};

}  // namespace sorvane
