#!/usr/bin/env bash
# How often the running program wakes up, and how much processor it uses, while nothing happens.
# Starts the real binary under its own Xvfb with a fresh home, lets it settle, then watches it
# for a while (60 s unless given): wake-ups are the context switches of its threads (each one a
# return from waiting), processor time is what the scheduler counted for its threads. Prints figures only.
#
#   bench/idle.sh [build-dir] [seconds]
set -euo pipefail

build=${1:-build}
seconds=${2:-60}
binary=$build/bin/hodgebin
[ -x "$binary" ] || { echo "no $binary; build first" >&2; exit 1; }

root=$(mktemp -d)
display=
for n in $(seq $((100 + $$ % 100)) 400); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$root"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$root/home/Desktop" "$root/home/Pictures/Screenshots" "$root/runtime"
chmod 700 "$root/runtime"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=$display HOME=$root/home \
    XDG_CONFIG_HOME=$root/home/.config XDG_RUNTIME_DIR=$root/runtime \
    "$binary" >/dev/null 2>"$root/hodgebin.log" &
pid=$!
pids+=($pid)
# Let start-up (the screenshot scan, the first paint of the pill) finish.
sleep 5
kill -0 "$pid" 2>/dev/null || { echo "hodgebin did not stay up:" >&2; cat "$root/hodgebin.log" >&2; exit 1; }

# Per thread: "name switches"; the sum is the process's wake-ups.
switches() {
    for task in /proc/"$pid"/task/*; do
        local name vol nonvol
        name=$(tr ' ' '_' <"$task/comm")
        vol=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status")
        nonvol=$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$task/status")
        echo "$(basename "$task") $name $((vol + nonvol))"
    done
}
# Processor time of all threads in ns (schedstat counts finer than the 10 ms ticks of stat).
cpu_ns() { cat /proc/"$pid"/task/*/schedstat | awk '{ t += $1 } END { printf "%d", t }'; }

before=$(switches)
ns_before=$(cpu_ns)
sleep "$seconds"
after=$(switches)
ns_after=$(cpu_ns)

echo "idle: hodgebin $(basename "$build") watched for ${seconds}s on $display"
join <(sort <<<"$before") <(sort <<<"$after") | awk -v s="$seconds" '
    { d = $5 - $3; total += d; printf "  thread %-8s %-16s %8.2f wake-ups/s\n", $1, $2, d / s }
    END { printf "  all threads               %8.2f wake-ups/s\n", total / s }'
awk -v a="$ns_after" -v b="$ns_before" -v s="$seconds" \
    'BEGIN { printf "  processor time            %8.4f %% of one core (%.1f ms)\n", (a - b) / 1e7 / s, (a - b) / 1e6 }'
