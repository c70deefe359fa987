#!/bin/sh
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs every test but the
# end-to-end scripts there.  A memory error, a leak of Brisel's own or any
# undefined behaviour fails the test that meets it.  Needs a display for the
# window tests (scripts/test.sh provides one).  Then the flow tests are
# built with ThreadSanitizer into build-tsan/, and those of analyses run
# side by side and beside their starter are run there with the test of
# work handed to the event thread: a data race fails them.  (The other
# flow tests run on one thread and would only take time.)
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISEL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-asan
ctest --output-on-failure -j1 -E '^e2e_' "$@"
cd ..

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRISEL_THREAD_SANITIZE=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target flow_tests toolkit_thread_tests
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
build-tsan/tests/flow/flow_tests --gtest_filter='Analysis*'
build-tsan/tests/toolkit/toolkit_thread_tests

