// The editor's gestures on their way to the host: the user-interface
// thread pushes, and whichever call carries the plug-in's output events
// next (process on the audio thread, or flush) takes them, in order. One
// producer and one consumer at a time, as CLAP never runs process and flush
// together; a fixed ring of atomics, so neither side allocates or locks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace sorvane::clap {

struct Gesture {
  enum class Kind : std::uint8_t { Begin, Value, End };
  Kind kind = Kind::Value;
  std::uint32_t param = 0;
  double value = 0.0;  // Value: in the parameter's CLAP units
};

class GestureQueue {
 public:
  static constexpr std::uint32_t kCapacity = 1024;

  // False when the ring is full (the host has not taken events for a long
  // time); the gesture is dropped.
  bool push(const Gesture& gesture) {
    const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) >= kCapacity) return false;
    ring_[tail % kCapacity] = gesture;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // The oldest gesture, left in the queue until pop(); false when empty.
  bool peek(Gesture& gesture) const {
    const std::uint32_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    gesture = ring_[head % kCapacity];
    return true;
  }
  void pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }
  bool empty() const { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire); }

 private:
  std::array<Gesture, kCapacity> ring_{};
  std::atomic<std::uint32_t> head_{0};
  std::atomic<std::uint32_t> tail_{0};
};

}  // namespace sorvane::clap
