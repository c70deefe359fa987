#!/bin/sh
# Installs what is missing, builds, and runs every test.  Without a display
# it starts its own Xvfb server for the GUI and end-to-end tests.  Then the
# tests run once more, but for the end-to-end scripts, in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh
. scripts/xvfb.sh
(cd build && ctest --output-on-failure -j1 "$@")
sh scripts/test-sanitized.sh "$@"
