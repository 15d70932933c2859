#!/usr/bin/env bash
# A Wayland session with XWayland: a headless weston answers on WAYLAND_DISPLAY and the
# X server given by DISPLAY (1920x1080, no panel) stands in for XWayland. A Wayland
# client cannot place its own window, so unless the user chose a platform the program
# must run on X11 and dock at 0,0; with QT_QPA_PLATFORM=wayland it must stay on Wayland
# and name its desktop entry by the app id.
# Usage: e2e_wayland.sh PROGRAM DESKTOP_ENTRY
set -euo pipefail
program=$1
desktop_entry=$2
here=$(dirname "$0")
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do
        kill "$p" 2> /dev/null || true
    done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$*"
    exit 1
}
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    local tenths=$(($1 * 10))
    shift
    for _ in $(seq 1 "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=wayland-tavrix --idle-time=0 \
    > "$work/weston.log" 2>&1 &
pids+=("$!")
wait_for 10 test -S "$XDG_RUNTIME_DIR/wayland-tavrix" \
    || { cat "$work/weston.log"; fail "weston did not open its socket"; }
export WAYLAND_DISPLAY=wayland-tavrix XDG_SESSION_TYPE=wayland WAYLAND_DEBUG=client
unset QT_QPA_PLATFORM

# The user's choice stands, and shows that the Wayland plugin and the compositor work,
# so that the run after it proves a choice and not a failure to reach Wayland.
QT_QPA_PLATFORM=wayland "$program" > /dev/null 2> "$work/chosen.log" &
pid=$!
pids+=("$pid")
# libwayland 1.23 writes object ids as name#id, older ones as name@id.
wayland_window() {
    grep -q 'xdg_toplevel[@#][0-9]*\.set_title("Tavrix2 Home")' "$work/chosen.log" \
        && grep -q 'xdg_toplevel[@#][0-9]*\.set_app_id(' "$work/chosen.log"
}
wait_for 30 wayland_window \
    || { tail -n 20 "$work/chosen.log"; fail "with QT_QPA_PLATFORM=wayland no Wayland window opened"; }
if xdotool search --name '^Tavrix2 Home$' > /dev/null 2>&1; then
    fail "with QT_QPA_PLATFORM=wayland the window still opened on X11"
fi
# On Wayland the compositor finds the desktop entry by the window's app id.
app_id=$(basename "$desktop_entry" .desktop)
grep -qF ".set_app_id(\"$app_id\")" "$work/chosen.log" \
    || fail "the Wayland window's app id is not $app_id: $(grep -o 'set_app_id(.*)' "$work/chosen.log")"
kill "$pid"
wait "$pid" 2> /dev/null || true
echo "QT_QPA_PLATFORM=wayland: window on Wayland"

"$program" > /dev/null 2> "$work/default.log" &
pid=$!
pids+=("$pid")
window=""
find_window() { window=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2> /dev/null); }
wait_for 30 find_window || fail "no X11 window titled 'Tavrix2 Home' appeared"
if grep -q 'wl_display' "$work/default.log"; then
    fail "the program spoke to the Wayland compositor"
fi

sleep 0.5
info=$(xwininfo -id "$window")
value() { printf '%s\n' "$info" | sed -n "s/^ *$1: *//p" | head -n 1; }
left=$(value 'Absolute upper-left X')
top=$(value 'Absolute upper-left Y')
width=$(value 'Width')
echo "X11 window $window at $left,$top width $width"
[ "$left" = 0 ] && [ "$top" = 0 ] && [ "$width" = 1920 ] || fail "expected 0,0 width 1920"

# Docks group a window with its desktop entry through the window's class.
class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
expected=$(sed -n 's/^StartupWMClass=//p' "$desktop_entry")
[ -n "$class" ] && [ "$class" = "$expected" ] \
    || fail "window class '$class' does not match StartupWMClass '$expected'"
echo "window class $class"

python3 "$here/x11close.py" "$window"
ended() { ! kill -0 "$pid" 2> /dev/null; }
wait_for 10 ended || fail "the program did not end after its window was closed"
status=0
wait "$pid" || status=$?
echo "exit status $status"
exit $status
