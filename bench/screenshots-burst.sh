#!/usr/bin/env bash
# The running program under Xvfb with its drawer open on the screenshots tab, when 5,000
# screenshots (1920 x 1080 PNG) are written into the watched folder at once, and again when
# they are all deleted. Prints: how long until `--status` counts them all (and none after the
# deletion), the slowest `--status` answer meanwhile (asked back to back, the client's own
# start left out), the peak resident memory above the program before the burst, and the
# resident memory after the deletion. Prints figures; never fails on them.
#
# Usage: bench/screenshots-burst.sh [BUILD_DIR] [COUNT]
set -euo pipefail

build=$(realpath "${1:-build}")
count=${2:-5000}
bin="$build/bin/hodgebin"
source "$(dirname "$0")/../scripts/throwaway-desktop.sh"
shots="$HOME/Pictures/Screenshots"
mkdir -p "$shots"

# A flat desktop-like picture: a gradient, two windows and lines of "text".
mvg="fill #f5f5f5 rectangle 100,80 900,600 rectangle 500,300 1500,900 fill #1e1e1e"
for i in $(seq 0 25); do
    for w in 0 1 2 3 4 5 6 7; do
        mvg+=" rectangle $((520 + w * 110)),$((320 + i * 22)) $((560 + w * 110 + (i * 7 + w * 13) % 50)),$((332 + i * 22))"
    done
done
# RGBA at 8 bits a channel, as desktop screenshot tools write them.
convert -size 1920x1080 gradient:'#28406e-#78285a' -draw "$mvg" -depth 8 "PNG32:$work/shot.png"

start_desktop
start_hodgebin "$bin"
[ -n "${NO_TAB:-}" ] || "$bin" --toggle shots
sleep 2

# The monitor asks the program's socket for its status back to back, as `--status` does, and
# times each answer (without the client program's own start, which on a busy machine takes far
# longer than the answer); it reads the program's resident memory at each answer too.
python3 - "$app" "$XDG_RUNTIME_DIR/hodgebin/hodgebin.sock" "$shots" "$work/shot.png" "$count" <<'PY'
import json, os, socket, subprocess, sys, time

pid, path, folder, picture, count = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])

def rss_kb():
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])

def status():
    start = time.monotonic()
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(30)
    s.connect(path)
    s.sendall(b"status\n")
    reply = b""
    while not reply.endswith(b"\n"):
        chunk = s.recv(65536)
        if not chunk:
            break
        reply += chunk
    s.close()
    took = (time.monotonic() - start) * 1000
    return took, json.loads(reply)["screenshots"]["count"]

def watch(until, limit, settle):
    """Polls until until(count) holds (or limit seconds pass), then settle seconds more."""
    start = time.monotonic()
    worst, peak, reached, polls = 0.0, 0, None, 0
    shown = -1.0
    while True:
        took, listed = status()
        polls += 1
        if os.environ.get("TIMELINE") and time.monotonic() - start >= shown + 0.5:
            shown = time.monotonic() - start
            print(f"  {shown:5.1f} s  {listed:5d} listed  {rss_kb() // 1024:4d} MB  {took:6.1f} ms",
                  flush=True)
        worst = max(worst, took)
        peak = max(peak, rss_kb())
        now = time.monotonic() - start
        if reached is None and until(listed):
            reached = now
        if (reached is not None and now > reached + settle) or now > limit:
            return worst, peak, reached, listed, polls
        time.sleep(0.01)

_, _, _, listed, _ = watch(lambda n: False, 2, 0)
empty = rss_kb()
worst, _, _, _, _ = watch(lambda n: False, 2, 0)
print(f"program with the shots tab open, folder empty: {empty // 1024} MB resident, "
      f"{listed} listed; status answered in at most {worst:.1f} ms")

data = open(picture, "rb").read()
writer = subprocess.Popen([sys.executable, "-c", f"""
import time
start = time.monotonic()
data = open({picture!r}, "rb").read()
for i in range({count}):
    with open(f"{folder}/Screenshot_{{i:05d}}.png", "wb") as f:
        f.write(data)
print(time.monotonic() - start)
"""], stdout=subprocess.PIPE)
start = time.monotonic()
worst, peak, reached, listed, polls = watch(lambda n: n >= count, 60, 1)
written = float(writer.communicate()[0])
print(f"{count} screenshots ({len(data) // 1024} KB each) written in {written:.1f} s: "
      + (f"all listed after {reached:.1f} s" if reached is not None
         else f"only {listed} listed after 60 s")
      + f"; status answered in at most {worst:.1f} ms ({polls} asked); "
      f"peak {(peak - empty) / 1024:.0f} MB above the empty program, "
      f"{(rss_kb() - empty) / 1024:.0f} MB above now")

for name in os.listdir(folder):
    os.remove(os.path.join(folder, name))
worst, peak, reached, listed, polls = watch(lambda n: n == 0, 60, 3)
print("all deleted: "
      + (f"the tab empty after {reached:.1f} s" if reached is not None
         else f"still {listed} listed after 60 s")
      + f"; status answered in at most {worst:.1f} ms; "
      f"resident {(rss_kb() - empty) / 1024:+.1f} MB against the empty program")
PY
