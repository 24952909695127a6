# Sourced by the benchmarks and the picture script: a throw-away desktop for the real program.
# After `source`: $work is a scratch folder (HOME and the XDG folders inside it), DISPLAY names
# a free display, and every process added to `pids` is stopped, newest first, on exit.
# `start_desktop [extra programs…]` starts Xvfb at 1920x1080 with openbox and the extras;
# `start_hodgebin BIN` starts the program and waits until it answers `--status` ($app is its pid).

work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[$i]}" 2>/dev/null || true
        wait "${pids[$i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# A display nobody uses.
n=$((160 + RANDOM % 100))
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
export XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p "$HOME/Desktop" "$HOME/Pictures" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

start_desktop() {
    Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    local extra
    for extra in "$@"; do
        "$extra" >/dev/null 2>&1 &
        pids+=($!)
    done
}

start_hodgebin() {
    "$1" >"$work/hodgebin.log" 2>&1 &
    app=$!
    pids+=($app)
    for _ in $(seq 100); do "$1" --status >/dev/null 2>&1 && break; sleep 0.1; done
}
