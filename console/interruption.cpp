#include "console/interruption.h"

#include <atomic>

namespace vadro {

// The platform's end (interruption_win32.cpp, interruption_posix.cpp).
void EndProcessAsInterrupted(int noted);

namespace {
std::atomic<int> holds{0};
std::atomic<int> notedRequest{0};
std::atomic<InterruptionEnd> replacedEnd{nullptr};
static_assert(std::atomic<int>::is_always_lock_free, "noted in signal handlers");
}  // namespace

InterruptionHold::InterruptionHold() {
  notedRequest.store(0);
  holds.fetch_add(1);
}

InterruptionHold::~InterruptionHold() { holds.fetch_sub(1); }

int NotedInterruption() { return notedRequest.load(); }

bool NoteInterruption(int request) {
  if (holds.load() == 0) return false;
  int none = 0;
  notedRequest.compare_exchange_strong(none, request);
  return true;
}

void EndAsInterrupted(int noted) {
  InterruptionEnd end = replacedEnd.load();
  if (end != nullptr) {
    end(noted);
    return;
  }
  EndProcessAsInterrupted(noted);
}

InterruptionEnd SetInterruptionEnd(InterruptionEnd end) { return replacedEnd.exchange(end); }

}  // namespace vadro
