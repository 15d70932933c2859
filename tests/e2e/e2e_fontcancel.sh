#!/usr/bin/env bash
# A font picked in the font dialog and then cancelled changes neither the page
# nor the stored font.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/font.txt"
write_script "$script" "The designed font stays"

start_program
designed=$(show_script "$script")

pick_font "Liberation Serif" 40
xdotool key Escape
wait_gone "$FONTS"
sleep 1
same "$(page_shot)" "$designed" || fail "the cancelled font reached the page"
alive
stop_program
grep -q '"Name"="Arial"' "$STORE" || { cat "$STORE"; fail "the stored font is no longer Arial"; }
grep -qi '"Size"=dword:00000018' "$STORE" || { cat "$STORE"; fail "the stored size is no longer 24"; }
echo "the cancelled font changed nothing"
