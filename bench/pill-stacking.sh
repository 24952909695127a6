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

source "$(dirname "$0")/../scripts/throwaway-desktop.sh"
if [ "$compositor" = --compositor ]; then
    start_desktop xcompmgr
else
    start_desktop
fi
sleep 1
xsetroot -solid '#4a6fa5'
start_hodgebin "$binary"
hb=$app

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
(sleep 1.3; where >"$work/midway") &
# shellcheck disable=SC2086
xdotool mousedown 1 $moves mouseup 1
end=$(date +%s.%N)
after=$(cpu_ns)
echo "(the window was at $X,$Y, and at $(cat "$work/midway") after 1.3 s of it)"
awk -v a="$after" -v b="$before" -v s="$start" -v e="$end" 'BEGIN {
    printf "window dragged by its title bar for %.1f s: hodgebin used %.1f ms of processor time\n", e - s, (a - b) / 1e6 }'

xdotool mousemove 300 900
"$cover"
