#include "tests/support/fake_clock.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/sleep.h"

namespace vadro {

namespace {

using Hook = std::function<void(std::uint64_t)>;

std::atomic<std::uint64_t> now{0};
std::atomic<std::uint32_t> sleeps{0};

// A sleeping thread reads the hooks without taking a lock: a worker destroyed while it runs is
// terminated wherever it is (TerminateThread on Windows), and a lock it held then would stay held,
// hanging the next thread that sleeps or installs a hook. An installed hook is therefore never
// freed, as a thread may still be calling it after it was replaced, or while the process exits.
std::atomic<const Hook*> beforeHook{nullptr};
std::atomic<const Hook*> afterHook{nullptr};
std::mutex installMutex;  // taken by the installing thread only

void Install(std::atomic<const Hook*>& slot, Hook hook) {
  static auto* installedHooks = new std::vector<std::unique_ptr<const Hook>>;
  const Hook* installed = nullptr;
  if (hook) {
    std::lock_guard<std::mutex> lock(installMutex);
    installedHooks->push_back(std::make_unique<const Hook>(std::move(hook)));
    installed = installedHooks->back().get();
  }
  slot.store(installed, std::memory_order_release);
}

void FakeSleep(std::uint32_t milliseconds) {
  if (const Hook* before = beforeHook.load(std::memory_order_acquire)) (*before)(now.load());
  std::uint64_t after = now.fetch_add(milliseconds) + milliseconds;
  sleeps.fetch_add(1);
  if (const Hook* hook = afterHook.load(std::memory_order_acquire)) (*hook)(after);
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
