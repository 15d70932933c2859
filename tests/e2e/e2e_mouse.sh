#!/usr/bin/env bash
# Presses on the page: the left button pauses and resumes at the same speed,
# the right button reverses the direction.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/long.txt"
lines=()
for i in $(seq 1 200); do lines+=("Mouse line $i"); done
write_script "$script" "${lines[@]}"
press() { xdotool mousemove $((PAGE_X + 900)) $((BAND_Y + 100)) click "$1"; }

start_program
empty=$(page_shot)
paused=$(speed_shot)
open_script "$script"
page_changed_from "$empty" > /dev/null || fail "the script is not shown"
top=$(page_settle)
keys w w w w w w w w w w
page_changed_from "$top" 10 > /dev/null || fail "W did not start the text"
running=$(speed_shot)
same "$running" "$paused" && fail "the speed label still reads as paused"

press 1
speed_becomes "$paused" 5 || fail "a left press did not pause"
a=$(page_shot)
sleep 1
same "$(page_shot)" "$a" || fail "the text moves after a left press"

press 1
page_changed_from "$a" 10 > /dev/null || fail "a second left press did not resume"
speed_becomes "$running" 5 || fail "the second left press resumed at another speed"
sleep 1.5

press 3
sleep 0.3
b=$(page_shot)
c=$(page_changed_from "$b" 10) || fail "the text stopped after a right press"
dy=$(python3 "$E2E_DIR/shift.py" "$c" "$b")
[ "$dy" -gt 0 ] || fail "after a right press the text did not move down (shift $dy)"
same "$(speed_shot)" "$running" && fail "the speed label did not turn negative"
page_becomes "$top" 20 || fail "after a right press the text never reached the top"
alive
stop_program
echo "left presses paused and resumed, a right press reversed"
