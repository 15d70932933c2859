#!/usr/bin/env bash
# Takes the README's pictures: docs/prompter.png, the prompter band with a script
# opened through the menu, on a bare X server:
#   xvfb-run -a -s "-screen 0 1920x1080x24" tools/screenshot.sh [PROGRAM] [OUT.png]
# and with --talent docs/talent.png, the band on the operator's monitor and the
# talent screen beside it at half size, on two monitors:
#   tests/with-two-monitors.sh tools/screenshot.sh --talent [PROGRAM] [OUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
talent=false
[ "${1:-}" = --talent ] && { talent=true; shift; }
program=${1:-build/tavrix}
if $talent; then out=${2:-docs/talent.png}; else out=${2:-docs/prompter.png}; fi
[ -n "${DISPLAY:-}" ] || { echo "needs an X server: run it under xvfb-run (--talent: tests/with-two-monitors.sh)"; exit 1; }
# A fixed folder, so that the path in the status strip reads the same on every run.
scripts=/tmp/tavrix-screenshot
rm -rf "$scripts"
mkdir -m 700 "$scripts"
config=$(mktemp -d)
pid=""
trap 'kill $pid 2> /dev/null && wait $pid 2> /dev/null; rm -rf "$scripts" "$config"' EXIT
cat > "$scripts/lecture.txt" << 'TEXT'
Good evening, and welcome to the spring lecture.
Tonight we look at how a small team built a bridge
that carries two thousand bicycles a day
across a river that floods every other winter.
They began, as most good projects do,
with a question nobody else had asked.
Where do people actually want to cross?
TEXT
if $talent; then
    # The talent screen on the second monitor, as the menu would store it.
    mkdir -p "$config/tavrix"
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"TalentScreen"="DUMMY1"\r\n' \
        > "$config/tavrix/user.reg"
fi

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
$talent && wait_for xdotool search --onlyvisible --name '^Tavrix Talent$'
xdotool mousemove 40 40 click 3 # the logo panel's menu
sleep 0.5
xdotool key o # Open Single Script
wait_for xdotool search --onlyvisible --name '^Open'
sleep 0.5 # the dialog takes the keyboard
xdotool type --delay 5 "$scripts/lecture.txt"
xdotool key Return
sleep 1.5 # the page loads and the pointer's tooltip fades
mkdir -p "$(dirname "$out")"
if $talent; then
    python3 tools/x11shot.py "$out" 0 0 3840 1080
    convert "$out" -resize 50% -define png:compression-level=9 "$out"
else
    python3 tools/x11shot.py "$out" 0 0 1920 250
fi
echo "$out: $(stat -c %s "$out") bytes"
