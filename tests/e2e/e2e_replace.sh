#!/usr/bin/env bash
# Opening another script while one scrolls shows the new one paused at its top.
program=$1
source "$(dirname "$0")/lib.sh"

first="$WORK/first.txt"
second="$WORK/second.txt"
lines=()
for i in $(seq 1 200); do lines+=("First script, line $i"); done
write_script "$first" "${lines[@]}"
lines=()
for i in $(seq 1 200); do lines+=("Second script, line $i, another text"); done
write_script "$second" "${lines[@]}"

start_program
empty=$(page_shot)
paused=$(speed_shot)
open_script "$second"
page_changed_from "$empty" > /dev/null || fail "the second script is not shown"
second_top=$(page_settle)
labels_second=$(labels_settle)

open_script "$first"
page_changed_from "$second_top" > /dev/null || fail "the first script is not shown"
first_top=$(page_settle)
keys w w w w w w w w w w
page_changed_from "$first_top" 10 > /dev/null || fail "the first script does not scroll"

open_script "$second"
page_becomes "$second_top" 10 || fail "the second script is not shown at its top"
speed_becomes "$paused" 5 || fail "the prompter is not paused after the new script"
sleep 1
same "$(page_shot)" "$second_top" || fail "the new script moves by itself"
same "$(labels_shot)" "$labels_second" || fail "the status labels differ from the first opening"
alive
stop_program
echo "a script replaced while scrolling came up paused at its top"
