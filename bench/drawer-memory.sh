#!/usr/bin/env bash
# The running program under Xvfb (with openbox and xcompmgr): how long `hodgebin --toggle` takes
# until the drawer's window is mapped, and the program's memory (PSS) with the drawer never
# opened, after opening it once on a full history of 100 entries (50 of them 4K images), and
# after closing it. Prints figures; never fails on them.
#
# Usage: bench/drawer-memory.sh [BUILD_DIR]
set -euo pipefail

build=$(realpath "${1:-build}")
bin="$build/bin/hodgebin"
source "$(dirname "$0")/../scripts/throwaway-desktop.sh"

start_desktop xcompmgr
start_hodgebin "$bin"

pss() { awk '/^Pss:/ {print $2}' "/proc/$app/smaps_rollup"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
mapped() { xdotool search --onlyvisible --name '^Hodgebin$' >/dev/null 2>&1; }
count() { "$bin" --status | sed -n 's/.*"clipboard":{"count":\([0-9]*\).*/\1/p'; }

sleep 2
never=$(pss)

# --toggle until the window is mapped, ten times (polled every few milliseconds).
times=()
for _ in $(seq 10); do
    start=$(now_ms)
    "$bin" --toggle
    while ! mapped; do :; done
    times+=($(($(now_ms) - start)))
    "$bin" --toggle
    while mapped; do :; done
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "--toggle until the drawer is mapped: median $(echo "$sorted" | sed -n 5p) ms," \
    "worst $(echo "$sorted" | tail -1) ms (10 runs, including the client's own start)"

# 100 entries: 50 screenshots at 3840 x 2160 and 50 texts, copied by another program. The
# picture is smooth like a desktop, so it compresses like a real screenshot does.
convert -size 960x540 plasma:fractal -depth 8 -resize 3840x2160 "$work/4k.png"
echo "each image: 3840 x 2160, $(($(stat -c %s "$work/4k.png") / 1024)) KiB as PNG"
for i in $(seq 1 50); do
    before=$(count)
    xclip -selection clipboard -t image/png -i "$work/4k.png"
    for _ in $(seq 100); do [ "$(count)" -gt "$before" ] && break; sleep 0.1; done
    before=$(count)
    printf 'text entry %s\n' "$i" | xclip -selection clipboard -i
    for _ in $(seq 100); do [ "$(count)" -gt "$before" ] && break; sleep 0.1; done
done
sleep 2
filled=$(pss)

"$bin" --toggle clips
while ! mapped; do :; done
sleep 3
opened=$(pss)
"$bin" --toggle
while mapped; do :; done
sleep 3
closed=$(pss)

echo "entries in the history: $(count)"
echo "PSS, drawer never opened, empty history: $((never / 1024)) MiB"
echo "PSS, drawer never opened, 100 entries:  $((filled / 1024)) MiB"
echo "PSS, drawer opened on them:              $((opened / 1024)) MiB"
echo "PSS, drawer closed again:                $((closed / 1024)) MiB"
