#!/bin/sh
# What the notch costs while the user works elsewhere: CPU of hodgebin while the pointer moves
# over another window at 60 Hz, wake-ups while it is still, and the same around a hover of the
# pill. Runs its own Xvfb + openbox; prints figures, never fails on them.
# Usage: bench/notch-pointer-cost.sh [build-dir] [seconds]
set -eu
build=${1:-build}
seconds=${2:-60}
bin=$(cd "$build/bin" && pwd)/hodgebin
root=$(mktemp -d)
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_RUNTIME_DIR=$root/run
mkdir -p "$HOME/Desktop" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
n=$((60 + $$ % 200))
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
export DISPLAY=:$n
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    sleep 0.5
    rm -rf "$root"
}
trap cleanup EXIT INT TERM
Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 & pids="$! $pids"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xsetroot -solid '#4a6fa5'
openbox --sm-disable >/dev/null 2>&1 & pids="$! $pids"
sleep 1
xev -geometry 800x600+100+300 -name elsewhere >/dev/null 2>&1 & pids="$! $pids"
"$bin" >/dev/null 2>&1 & hb=$!; pids="$hb $pids"
for _ in $(seq 100); do "$bin" --status >/dev/null 2>&1 && break; sleep 0.1; done
xdotool mousemove 500 600
sleep 2

ticks() { awk '{print $14 + $15}' /proc/$hb/stat; }
switches() { awk '/ctxt_switches/ {s += $2} END {print s}' /proc/$hb/status; }
hz=$(getconf CLK_TCK)

t0=$(ticks); s0=$(switches)
sleep 10
t1=$(ticks); s1=$(switches)
echo "pointer still, 10 s: cpu $(( (t1 - t0) * 1000 / hz )) ms, context switches $((s1 - s0))"

t0=$(ticks); s0=$(switches)
# One xdotool for all of it: 60 relative moves a second, back and forth over the other window.
moves=$(awk -v n=$((seconds * 60)) 'BEGIN {
    for (i = 0; i < n; i++) printf "mousemove_relative -- %d 0 sleep 0.0166 ", (int(i / 120) % 2 ? -2 : 2)
}')
# shellcheck disable=SC2086
xdotool $moves
t1=$(ticks); s1=$(switches)
ms=$(( (t1 - t0) * 1000 / hz ))
echo "pointer moving ${seconds} s at 60 Hz over another window: cpu ${ms} ms" \
     "= $(echo "scale=3; $ms / ($seconds * 10)" | bc) % of a core, context switches $((s1 - s0))"

t0=$(ticks)
for _ in $(seq 10); do
    xdotool mousemove 960 5 mousemove_relative 1 0 sleep 0.6 \
            mousemove 500 700 mousemove_relative 1 0 sleep 0.6
done
t1=$(ticks)
echo "hover open and close, 10 times: cpu $(( (t1 - t0) * 1000 / hz / 10 )) ms per hover"
