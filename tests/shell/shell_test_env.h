// Every shell test runs against the main window as the program sets it up,
// short of entering the event loop.
#pragma once

#include <chrono>
#include <thread>

#include "toolkit/toolkit.h"

namespace shelltest {

// Processes events until `done` holds or about three seconds pass.
template <typename Predicate>
bool WaitFor(Predicate done) {
  for (int i = 0; i < 300 && !done(); ++i) {
    tk::LoopStep();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

}  // namespace shelltest
