#include "tests/support/fake_clock.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "base/sleep.h"

namespace vadro {

namespace {

using Hook = std::function<void(std::uint64_t)>;

std::atomic<std::uint64_t> now{0};
std::atomic<std::uint32_t> sleeps{0};
std::mutex hookMutex;
Hook beforeHook;
Hook afterHook;

Hook Copy(const Hook& hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  return hook;
}

void Install(Hook& slot, Hook hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  slot = std::move(hook);
}

void FakeSleep(std::uint32_t milliseconds) {
  if (Hook before = Copy(beforeHook)) before(now.load());
  std::uint64_t after = now.fetch_add(milliseconds) + milliseconds;
  sleeps.fetch_add(1);
  if (Hook hook = Copy(afterHook)) hook(after);
  // Lets other threads run, as a real sleep would, so that a thread that only sleeps cannot starve them.
  std::this_thread::yield();
}

std::uint64_t FakeNow() { return now.load(); }

}  // namespace

FakeClock::FakeClock() {
  now = 0;
  sleeps = 0;
  BeforeSleep(nullptr);
  OnSleep(nullptr);
  replaced = SetSleepFunction(FakeSleep);
  replacedClock = SetClockFunction(FakeNow);
}

FakeClock::~FakeClock() {
  SetSleepFunction(replaced);
  SetClockFunction(replacedClock);
  BeforeSleep(nullptr);
  OnSleep(nullptr);
}

std::uint64_t FakeClock::Now() { return now.load(); }

std::uint32_t FakeClock::Sleeps() { return sleeps.load(); }

void FakeClock::AdvanceTo(std::uint64_t milliseconds) {
  std::uint64_t current = now.load();
  while (current < milliseconds && !now.compare_exchange_weak(current, milliseconds)) {
  }
}

void FakeClock::BeforeSleep(std::function<void(std::uint64_t now)> hook) {
  Install(beforeHook, std::move(hook));
}

void FakeClock::OnSleep(std::function<void(std::uint64_t now)> hook) { Install(afterHook, std::move(hook)); }

}  // namespace vadro
