#!/bin/sh
# Installs the Debian packages that building, running and testing Linealis need,
# but only those that are missing, so a prepared machine is not touched.
set -eu

PACKAGES="cmake g++ make pkg-config dpkg-dev file clang libclang-rt-14-dev \
qt6-base-dev qt6-base-dev-tools libgl-dev qt6-image-formats-plugins \
libgtest-dev libgmock-dev libbenchmark-dev \
libxdo-dev libx11-dev libxtst-dev \
xvfb openbox xdotool xclip x11-utils imagemagick fonts-ipafont-gothic"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing missing packages:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
