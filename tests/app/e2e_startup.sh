#!/usr/bin/env bash
# Starts the real program on the X server given by DISPLAY (1920x1080, no panel),
# checks its one window, closes it through the window protocol and expects exit 0.
set -euo pipefail
program=$1
here=$(dirname "$0")
"$program" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2>/dev/null || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "no window titled 'Tavrix2 Home' appeared"; exit 1; }
count=$(printf '%s\n' "$window" | wc -l)
[ "$count" -eq 1 ] || { echo "expected one visible window, found $count"; exit 1; }

sleep 0.5
info=$(xwininfo -id "$window")
value() { printf '%s\n' "$info" | sed -n "s/^ *$1: *//p" | head -n 1; }
left=$(value 'Absolute upper-left X')
top=$(value 'Absolute upper-left Y')
width=$(value 'Width')
height=$(value 'Height')
echo "window $window at $left,$top size ${width}x$height"
[ "$left" = 0 ] && [ "$top" = 0 ] && [ "$width" = 1920 ] && [ "$height" = 250 ] \
    || { echo "expected 0,0 1920x250"; exit 1; }

python3 "$here/x11close.py" "$window"
for _ in $(seq 1 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
    echo "the program did not end after its window was closed"
    exit 1
fi
trap - EXIT
wait $pid
status=$?
echo "exit status $status"
exit $status
