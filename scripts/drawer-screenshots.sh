#!/usr/bin/env bash
# Writes screenshots of the drawer on each tab, empty and filled, and of the pill at rest and
# hovered, under a compositor so that translucency and rounded corners show as users see them.
# With --readme the filled tabs and the pill also go, made small, to docs/ for the README.
#
# Usage: scripts/drawer-screenshots.sh [--readme] [BUILD_DIR] [OUT_DIR]
# Needs Xvfb, openbox, xcompmgr, xdotool, xclip, xterm, zenity and ImageMagick
# (`scripts/install-deps.sh test`), and for --readme pngquant and optipng.
set -euo pipefail

readme=false
if [ "${1:-}" = "--readme" ]; then
    readme=true
    shift
fi
docs=$(realpath "$(dirname "$0")/../docs")
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-/tmp/hodgebin-drawer-shots}")
bin="$build/bin/hodgebin"
source_bin="$build/bin/hodgebin_drag_source"
mkdir -p "$out"

source "$(dirname "$0")/throwaway-desktop.sh"

start_desktop xcompmgr
# The window manager may paint over a root colour set before it.
sleep 0.5
xsetroot -solid '#4a6fa5'
start_hodgebin "$bin"

drawer_visible() { "$bin" --status | grep -q '"drawer":{[^}]*"visible":true'; }
wait_for() { for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done; return 1; }

# Opens the drawer on a tab, presses the keys given (xdotool names), waits for the fade to end
# and keeps a picture of its region.
shoot() {
    local tab=$1 name=$2
    shift 2
    drawer_visible && "$bin" --toggle && wait_for bash -c "! \"$bin\" --status | grep -q '\"visible\":true'"
    "$bin" --toggle "$tab"
    wait_for drawer_visible
    [ $# -eq 0 ] || { sleep 0.3; xdotool key --delay 100 "$@"; }
    sleep 0.5 # the 0.18 s fade-in, and a repaint by the compositor
    import -window root -crop 460x540+730+0 "$out/$name.png"
    echo "$out/$name.png"
}

for tab in clips shelf notes shots; do shoot "$tab" "$tab-empty"; done

# Fill every tab: copies of several kinds, files on the shelf, notes typed, screenshots.
# Copies are made by the programs users copy from, so each entry names its own: xclip for some
# texts and the pictures, a dialog's field (zenity), and a terminal's selection (xterm).
# xclip stays in the foreground (-quiet), so the process that owns the copy is still there to be
# named; it ends when the next copy takes the clipboard.
xclip_copy() {
    xclip -quiet -selection clipboard "$@" >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.6
}
for text in "    indented   and spaced    " "مرحبا بالعالم — right to left" "👩‍👩‍👧‍👦 emoji 🇫🇷"; do
    printf '%s' "$text" >"$work/text"
    xclip_copy -i "$work/text"
done
convert -size 1x400 gradient:red-blue "$work/tall.png"
xclip_copy -t image/png -i "$work/tall.png"
convert -size 800x450 plasma:fractal "$work/wide.png"
xclip_copy -t image/png -i "$work/wide.png"
# Ctrl+C in a dialog's text field, its text selected as the dialog opens.
zenity --entry --title "Note" --text "Copy this:" \
    --entry-text "A much longer line of text that goes on and on past the width of any row in the drawer, to see how it is cut" >/dev/null 2>&1 &
dialog=$!
pids+=($dialog)
wait_for xdotool search --onlyvisible --class '^Zenity$' >/dev/null
xdotool windowactivate --sync "$(xdotool search --onlyvisible --class '^Zenity$' | head -1)"
sleep 0.3
xdotool key ctrl+a ctrl+c
sleep 0.6
kill "$dialog"
# A line of a terminal, selected by dragging over it (xterm then owns the clipboard).
xterm -xrm 'XTerm*selectToClipboard: true' -geometry 50x4+40+860 \
    -e sh -c 'printf "Hello from the terminal"; exec sleep 600' &
terminal=$!
pids+=($terminal)
wait_for xdotool search --onlyvisible --class '^XTerm$' >/dev/null
terminal_window=$(xdotool search --onlyvisible --class '^XTerm$' | head -1)
xdotool mousemove --window "$terminal_window" 2 8 mousedown 1
sleep 0.1
xdotool mousemove --window "$terminal_window" 200 8
sleep 0.1
xdotool mouseup 1
sleep 0.6
kill "$terminal"
for f in report.pdf photo.jpg notes.txt "Quarterly figures for the board meeting.ods"; do echo "$f" >"$HOME/Desktop/$f"; done
mkdir -p "$HOME/Desktop/A folder"
convert -size 1920x1080 plasma:fractal "$HOME/Desktop/Screenshot 2026-12-07 at 10.00.00.png"
sleep 1.1
convert -size 1920x1080 gradient:'#203a60-#d8a040' "$HOME/Desktop/Screenshot 2026-12-07 at 10.05.00.png"
# The shelf: a real drag from another X client onto the open drawer.
"$bin" --toggle shelf
wait_for drawer_visible
"$source_bin" 100 700 "$HOME/Desktop/report.pdf" "$HOME/Desktop/photo.jpg" "$HOME/Desktop/notes.txt" "$HOME/Desktop/Quarterly figures for the board meeting.ods" "$HOME/Desktop/A folder" >/dev/null &
pids+=($!)
wait_for xdotool search --onlyvisible --name '^drag source$' >/dev/null
xdotool mousemove 150 750 mousedown 1
for i in $(seq 1 30); do xdotool mousemove $((150 + 810 * i / 30)) $((750 - 450 * i / 30)); sleep 0.03; done
sleep 0.3
xdotool mousemove_relative 2 2 mouseup 1
sleep 0.5
# Notes: typing into the drawer starts one.
xdotool type --delay 30 "Buy milk"
xdotool key Return
xdotool type --delay 30 "Call the bank"
xdotool key Return Tab
xdotool type --delay 30 "ask about the new card, and whether the yearly fee can be waived"
xdotool key Return shift+Tab
xdotool type --delay 30 "Book the train"
sleep 0.3

# The clips tab with its second row selected from the keyboard.
shoot clips clips-filled Down Down
for tab in shelf notes shots; do shoot "$tab" "$tab-filled"; done

# The pill: at rest with the pointer away, then grown under the pointer (which opens the drawer
# below it, out of the picture).
drawer_visible && "$bin" --toggle && wait_for bash -c "! \"$bin\" --status | grep -q '\"visible\":true'"
xdotool mousemove 300 600
sleep 0.5
import -window root -crop 300x30+810+0 "$out/pill-rest.png"
echo "$out/pill-rest.png"
xdotool mousemove 960 12 mousemove_relative 1 0
wait_for drawer_visible
sleep 0.5
import -window root -crop 300x30+810+0 "$out/pill-hovered.png"
echo "$out/pill-hovered.png"

if $readme; then
    mkdir -p "$docs"
    for name in pill-rest pill-hovered clips-filled shelf-filled notes-filled shots-filled; do
        pngquant --force --quality 60-85 --speed 1 --output "$docs/$name.png" "$out/$name.png"
        optipng -quiet -o5 -strip all "$docs/$name.png"
    done
    du -ch "$docs"/*.png | tail -1
fi
