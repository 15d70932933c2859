#!/usr/bin/env bash
# A font picked in the font dialog and then cancelled changes neither the page
# nor the stored font.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/font.txt"
write_script "$script" "The designed font stays"

start_program
empty=$(page_shot)
open_script "$script"
page_changed_from "$empty" > /dev/null || fail "the script is not shown"
designed=$(page_settle)

menu Down Down Return
fonts=$(wait_window 'Select Font')
geometry "$fonts"
sleep 0.5
xdotool windowfocus --sync "$fonts" 2> /dev/null || true
xdotool type --delay 30 "Liberation Serif"
sleep 0.5
xdotool mousemove $((GX + 452)) $((GY + 35)) click --repeat 3 1
xdotool type --delay 30 "40"
sleep 0.3
xdotool key Escape
wait_gone "$fonts"
sleep 1
same "$(page_shot)" "$designed" || fail "the cancelled font reached the page"
alive
stop_program
grep -q '"Name"="Arial"' "$STORE" || { cat "$STORE"; fail "the stored font is no longer Arial"; }
grep -qi '"Size"=dword:00000018' "$STORE" || { cat "$STORE"; fail "the stored size is no longer 24"; }
echo "the cancelled font changed nothing"
