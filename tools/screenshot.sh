#!/usr/bin/env bash
# Takes docs/prompter.png, the README's picture of the prompter band with a script
# opened through the menu. Run on a bare X server:
#   xvfb-run -a -s "-screen 0 1920x1080x24" tools/screenshot.sh [PROGRAM] [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/tavrix}
out=${2:-docs/prompter.png}
[ -n "${DISPLAY:-}" ] || { echo "needs an X server: run it under xvfb-run"; exit 1; }
# A fixed folder, so that the path in the status strip reads the same on every run.
scripts=/tmp/tavrix-screenshot
rm -rf "$scripts"
mkdir -m 700 "$scripts"
config=$(mktemp -d)
pid=""
trap 'kill $pid 2> /dev/null || true; rm -rf "$scripts" "$config"' EXIT
cat > "$scripts/lecture.txt" << 'TEXT'
Good evening, and welcome to the spring lecture.
Tonight we look at how a small team built a bridge
that carries two thousand bicycles a day
across a river that floods every other winter.
They began, as most good projects do,
with a question nobody else had asked.
TEXT

wait_for() {
    for _ in $(seq 1 100); do
        "$@" > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "timed out waiting for: $*"
    exit 1
}
XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb "$program" 2> /dev/null &
pid=$!
wait_for xdotool search --onlyvisible --name '^Tavrix2 Home$'
xdotool mousemove 40 40 click 3 # the logo panel's menu
sleep 0.5
xdotool key o # Open Single Script
wait_for xdotool search --onlyvisible --name '^Open'
xdotool type --delay 5 "$scripts/lecture.txt"
xdotool key Return
sleep 1.5 # the page loads and the pointer's tooltip fades
mkdir -p "$(dirname "$out")"
python3 tools/x11shot.py "$out" 0 0 1920 250
echo "$out: $(stat -c %s "$out") bytes"
