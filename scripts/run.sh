#!/bin/sh
# Installs what is missing, builds, and starts Brisel.
set -e
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh
exec ./build/brisel
