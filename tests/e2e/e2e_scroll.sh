#!/usr/bin/env bash
# A script opened through the menu is shown; W moves the text up, Q stops it,
# F brings the top back, E turns the direction so that the text comes back down.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/long.txt"
lines=()
for i in $(seq 1 300); do lines+=("Line $i of the long script"); done
write_script "$script" "${lines[@]}"

start_program
empty=$(page_shot)
paused=$(speed_shot)
open_script "$script"
top=$(page_changed_from "$empty") || fail "the opened script is not shown"
top=$(page_settle)
same "$top" "$empty" && fail "the page stayed empty"

keys w w w w w w w w w w
moved=$(page_changed_from "$top" 10) || fail "W did not move the text"
sleep 1
later=$(page_shot)
dy=$(python3 "$E2E_DIR/shift.py" "$moved" "$later")
[ "$dy" -gt 0 ] || fail "the text did not move up (shift $dy)"
same "$(speed_shot)" "$paused" && fail "the speed label still reads as paused"

keys q
speed_becomes "$paused" 5 || fail "Q did not show the paused label"
a=$(page_shot)
sleep 1
b=$(page_shot)
same "$a" "$b" || fail "the text still moves after Q"
same "$a" "$top" && fail "the text never left the top"

keys f
page_becomes "$top" 10 || fail "F did not bring back the top of the script"
sleep 1
same "$(page_shot)" "$top" || fail "the page moves after F"
speed_becomes "$paused" 5 || fail "F did not pause"

# Forward again, then E: the text moves down until the top is back.
keys w
forward=$(page_changed_from "$top" 10) || fail "W did not resume"
sleep 2
keys q
speed_becomes "$paused" 5 || fail "Q did not pause"
away=$(page_shot)
same "$away" "$top" && fail "the text did not leave the top"
keys e
back=$(page_changed_from "$away" 10) || fail "E did not resume"
dy=$(python3 "$E2E_DIR/shift.py" "$back" "$away")
[ "$dy" -gt 0 ] || fail "after E the text did not move down (shift $dy)"
page_becomes "$top" 20 || fail "after E the text never reached the top again"
alive
stop_program
echo "scrolling, pause, reset and reverse shown on the page"
