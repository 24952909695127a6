#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Hodgebin.
# Idempotent: does nothing when every package is already present.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-image-formats-plugins
    qt6-l10n-tools
    libxcb-xinput-dev libxcb-xkb-dev libxcb-res0-dev libxkbcommon-x11-dev
    libgtest-dev libgmock-dev
    fonts-font-awesome fonts-dejavu-core
    # headless tests: virtual X server, window manager, tray, compositor, X clients
    xvfb xauth xdotool xclip imagemagick x11-utils x11-xserver-utils
    openbox trayer xcompmgr dbus-daemon dbus-x11
    # the accessibility bus and a client of it, as a screen reader reads the drawer
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0
    # install and package checks: validators, the Debian package tools
    desktop-file-utils appstream dpkg-dev file lintian
    # a Wayland compositor with XWayland and Wayland clipboard clients, nested in Xvfb
    weston xwayland wl-clipboard
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
