// FakeClock: replaces the program's sleep with a clock that moves on by the time asked for and
// returns at once, so that countdowns, spinners, blinking and polling workers run in no real time.
// The program's clock (NowMs) reads it. Hooks let a test look at the program at each sleep, or hold
// the sleeping thread there.
#pragma once
#include <cstdint>
#include <functional>

namespace vadro {

class FakeClock {
 public:
  // Installs the fake sleep and clock, with the clock at 0 and no hooks.
  FakeClock();
  // Puts back the sleep that was installed before.
  ~FakeClock();
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  // Milliseconds slept since installation (plus any AdvanceTo).
  static std::uint64_t Now();
  // Number of sleeps since installation.
  static std::uint32_t Sleeps();
  // Moves the clock on to `milliseconds` (never back), as a wait for something would.
  static void AdvanceTo(std::uint64_t milliseconds);
  // Called on the sleeping thread as every sleep begins, with the clock before it; it may wait
  // there in real time, holding that thread at a chosen moment. Empty: none.
  static void BeforeSleep(std::function<void(std::uint64_t now)> hook);
  // Called on the sleeping thread after every sleep, with the clock after it; empty: none.
  static void OnSleep(std::function<void(std::uint64_t now)> hook);

 private:
  void (*replaced)(std::uint32_t);
  std::uint64_t (*replacedClock)();
};

}  // namespace vadro
