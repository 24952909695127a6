#!/usr/bin/env bash
# Installs the Debian packages Hodgebin needs, for one use:
#   install-deps.sh run      building and running the program (what `make run` needs)
#   install-deps.sh package  the above, and the Debian package tools (`make package`)
#   install-deps.sh test     all of the above, and every tool the tests and benchmarks use
# Idempotent: does nothing when every package is already present.
set -euo pipefail

run=(
    # build
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libicu-dev
    # lupdate, for the translation template the build writes
    qt6-l10n-tools
    libxcb-xinput-dev libxcb-xkb-dev libxcb-res0-dev libxcb-screensaver0-dev libxkbcommon-x11-dev
    # run: Qt's X11 platform and image plugins, the symbol font, text and emoji fonts
    qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6
    fonts-font-awesome fonts-dejavu-core fonts-noto-color-emoji
)
package=(dpkg-dev file)
test=(
    libgtest-dev libgmock-dev
    # headless tests: virtual X server, window manager, tray, compositor, X clients
    xvfb xauth xdotool xclip imagemagick x11-utils x11-xserver-utils
    openbox trayer xcompmgr dbus-daemon dbus-x11
    # programs that copy, for the pictures of the drawer (scripts/drawer-screenshots.sh)
    xterm zenity
    # the window managers of XFCE and GNOME, for the desktop matrix
    xfwm4 mutter
    # the accessibility bus and a client of it, as a screen reader reads the drawer
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0
    # install and package checks: validators and the package linter
    desktop-file-utils appstream lintian
    # a Wayland compositor with XWayland and Wayland clipboard clients, nested in Xvfb
    weston xwayland wl-clipboard
)

case "${1:-}" in
run) packages=("${run[@]}") ;;
package) packages=("${run[@]}" "${package[@]}") ;;
test) packages=("${run[@]}" "${package[@]}" "${test[@]}") ;;
*)
    echo "usage: $0 run|package|test" >&2
    exit 2
    ;;
esac

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
