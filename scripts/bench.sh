#!/bin/sh
# Builds, then times "Calcular" and the view commands in the window on
# generated drawings (build/window-bench; arguments: the wall counts).
# Without a display it starts its own Xvfb server.
set -e
cd "$(dirname "$0")/.."
sh scripts/build.sh
. scripts/xvfb.sh
build/window-bench "$@"
