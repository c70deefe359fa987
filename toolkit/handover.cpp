// Work handed over to the event thread by other threads (Waker), carried by
// FLTK's awake mechanism so that every loop, modal ones included, runs it.
#include <FL/Fl.H>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk {

struct WakerState {
  std::atomic<bool> pending{false};
  std::function<void()> work;  // touched on the event thread only
};

namespace {

// The wakers woken since the event thread last ran their work.
struct HandOver {
  std::mutex mutex;
  std::vector<std::shared_ptr<WakerState>> woken;
};

// Never destroyed: a thread may still wake a waker while the program ends.
HandOver& Handed() {
  static HandOver* const handOver = new HandOver;
  return *handOver;
}

// FLTK wakes its loop for other threads only once the event thread has
// taken its lock; the event thread keeps it but while it waits for events.
void EnableHandOver() {
  static const bool enabled = (Fl::lock(), true);
  (void)enabled;
}

// Called by FLTK on the event thread.
void RunHandedWork(void*) {
  std::vector<std::shared_ptr<WakerState>> woken;
  {
    std::lock_guard<std::mutex> lock(Handed().mutex);
    woken.swap(Handed().woken);
  }
  for (const std::shared_ptr<WakerState>& state : woken) {
    state->pending = false;  // a wake from now on asks for another run
    if (!state->work) continue;
    try {
      state->work();
    } catch (...) {
    }
  }
}

}  // namespace

Waker::Waker() : state_(std::make_shared<WakerState>()) { EnableHandOver(); }

Waker::~Waker() { state_->work = nullptr; }

void Waker::SetWork(std::function<void()> work) { state_->work = std::move(work); }

// One FLTK call per batch: only the first waker of a batch posts it.
void Waker::Wake() {
  if (state_->pending.exchange(true)) return;
  bool first = false;
  {
    std::lock_guard<std::mutex> lock(Handed().mutex);
    first = Handed().woken.empty();
    Handed().woken.push_back(state_);
  }
  if (first) Fl::awake(RunHandedWork, nullptr);
}

}  // namespace tk
