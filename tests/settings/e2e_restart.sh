#!/usr/bin/env bash
# Two runs of the real program on one X server: the step size changed with the
# mouse and a font stored between the runs come back in the second run.
set -euo pipefail
program=$1
here=$(dirname "$0")
closer="$here/../app/x11close.py"
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
store="$XDG_CONFIG_HOME/tavrix/user.reg"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

run() { # run ACTION: starts the program, does ACTION to its window, closes it
    "$program" &
    local pid=$! window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2>/dev/null || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no window"; kill $pid; exit 1; }
    sleep 0.5
    "$1" "$window"
    python3 "$closer" "$window"
    wait $pid
}

# The step slider sits in the grey column at the right; a press on its track
# above the thumb moves the step up to the next multiple of 3: from 1 to 3.
raise_step() {
    xdotool mousemove 1899 114 click 1
    sleep 0.3
}
nothing() { :; }

run raise_step
grep -qi '"speedmod_Value"=dword:00000003' "$store" || { echo "step 3 not saved"; cat "$store"; exit 1; }

# A font as the operator's font dialog would have left it.
sed -i -e 's/"Name"="Arial"/"Name"="Liberation Serif"/' \
       -e 's/"Size"=dword:00000018/"Size"=dword:0000001e/' \
       -e 's/"Height"=dword:ffffffe0/"Height"=dword:ffffffd8/' "$store"

run nothing
grep -qi '"speedmod_Value"=dword:00000003' "$store" || { echo "step lost on restart"; cat "$store"; exit 1; }
grep -q '"Name"="Liberation Serif"' "$store" || { echo "font lost on restart"; cat "$store"; exit 1; }
grep -qi '"Size"=dword:0000001e' "$store" || { echo "font size lost on restart"; cat "$store"; exit 1; }
echo "step size and font survived the restart"
