#!/bin/sh
# Installs the Debian packages Brisel needs to build, run and test, when any
# of them is missing.  Works as root, or through sudo where it exists.
set -e
PACKAGES="build-essential cmake libfltk1.3-dev libgl1-mesa-dev libglu1-mesa-dev \
libgl1-mesa-dri libgtest-dev libeigen3-dev xvfb xauth xdotool imagemagick x11-utils \
pkg-config libcairo2-dev librsvg2-dev fonts-dejavu-core python3-meshio python3-numpy \
libdxflib-dev python3-ezdxf"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
    || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1; then
  SUDO="sudo"
else
  echo "missing packages:$missing (run as root to install them)" >&2
  exit 1
fi
echo "installing:$missing"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
