#!/usr/bin/env bash
# What keeping the pill on top costs beside other windows: the processor time Hodgebin uses
# while another window is dragged by its title bar across the screen for a while (10 s unless
# given), and how soon a normal window raised or moved over the pill is back below it. Runs its
# own Xvfb and openbox (and xcompmgr with --compositor); prints figures, never fails on them.
#
#   bench/pill-stacking.sh [build-dir] [seconds] [--compositor]
set -euo pipefail

build=${1:-build}
seconds=${2:-10}
compositor=${3:-}
binary=$(cd "$build/bin" && pwd)/hodgebin
cover=$(cd "$build/bin" && pwd)/bench_pill_cover
[ -x "$binary" ] || { echo "no $binary; build first" >&2; exit 1; }

root=$(mktemp -d)
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_RUNTIME_DIR=$root/run
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
n=$((300 + $$ % 200))
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
export DISPLAY=:$n
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$root"
}
trap cleanup EXIT INT TERM

Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
if [ "$compositor" = --compositor ]; then
    xcompmgr >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.5
fi
xsetroot -solid '#4a6fa5'
"$binary" >/dev/null 2>&1 &
hb=$!
pids+=($hb)
for _ in $(seq 100); do "$binary" --status >/dev/null 2>&1 && break; sleep 0.1; done

# The window to drag, well away from the pill; its title bar is above its client area.
xev -geometry 400x200+200+500 -name dragged >/dev/null 2>&1 &
pids+=($!)
id=
for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name '^dragged$' 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.1
done
[ -n "$id" ] || { echo "the window to drag did not appear" >&2; exit 1; }
xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
sleep 1
where() { xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print x "," y}'; }
X=$(where | cut -d, -f1)
Y=$(where | cut -d, -f2)
title=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= *[0-9]*, *[0-9]*, *\([0-9]*\),.*/\1/p')
title=${title:-20}

cpu_ns() { cat /proc/"$hb"/task/*/schedstat | awk '{ t += $1 } END { printf "%d", t }'; }

before=$(cpu_ns)
sleep "$seconds"
after=$(cpu_ns)
echo "at rest, ${seconds} s: cpu $(awk -v a="$after" -v b="$before" 'BEGIN { printf "%.1f", (a - b) / 1e6 }') ms"

# Left and right across the screen at 60 moves a second, holding the title bar.
steps=$((seconds * 60))
moves=$(awk -v n="$steps" 'BEGIN {
    for (i = 0; i < n; i++) printf "mousemove_relative -- %d 0 sleep 0.0166 ", (int(i / 150) % 2 ? -6 : 6)
}')
xdotool mousemove $((X + 150)) $((Y - title / 2)) sleep 0.3
before=$(cpu_ns)
start=$(date +%s.%N)
(sleep 1.3; where >"$root/midway") &
# shellcheck disable=SC2086
xdotool mousedown 1 $moves mouseup 1
end=$(date +%s.%N)
after=$(cpu_ns)
echo "(the window was at $X,$Y, and at $(cat "$root/midway") after 1.3 s of it)"
awk -v a="$after" -v b="$before" -v s="$start" -v e="$end" 'BEGIN {
    printf "window dragged by its title bar for %.1f s: hodgebin used %.1f ms of processor time\n", e - s, (a - b) / 1e6 }'

xdotool mousemove 300 900
"$cover"
