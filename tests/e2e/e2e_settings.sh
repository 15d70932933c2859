#!/usr/bin/env bash
# The font chosen in the font dialog, the step size and the scroll timer's
# period are in the settings file after closing, and a second start brings
# them back: the same script looks the same and the step label reads the same.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/font.txt"
write_script "$script" "Font test line one" "Font test line two"

start_program
designed=$(show_script "$script")

pick_font "Liberation Serif" 40
xdotool key Return
wait_gone "$FONTS"
page_changed_from "$designed" > /dev/null || fail "the new font does not show"
chosen=$(page_settle)

# A press on the step slider's track above the thumb moves to the next multiple of 3: Coarse: 3.
steps=$(speed_shot)
xdotool mousemove 1899 114 click 1
changed_from "$steps" 0 198 120 31 5 > /dev/null || fail "the step label did not change"
# Speed 50: the scroll timer's period becomes 251 ms; Q stops it without touching the period.
keys w w w w w
keys q
step3=$(speed_shot)
stop_program

grep -q '"Name"="Liberation Serif"' "$STORE" || { cat "$STORE"; fail "font name not stored"; }
grep -qi '"Size"=dword:00000028' "$STORE" || { cat "$STORE"; fail "font size 40 not stored"; }
grep -qi '"speedmod_Value"=dword:00000003' "$STORE" || { cat "$STORE"; fail "step size 3 not stored"; }
grep -qi '"Timer1_Interval"=dword:000000fb' "$STORE" || { cat "$STORE"; fail "timer period 251 not stored"; }

start_program
speed_becomes "$step3" 5 || fail "the step size did not come back"
open_script "$script"
page_becomes "$chosen" 10 || fail "the font did not come back"
stop_program
grep -qi '"Timer1_Interval"=dword:000000fb' "$STORE" || { cat "$STORE"; fail "the timer period did not come back"; }
grep -q '"Name"="Liberation Serif"' "$STORE" || { cat "$STORE"; fail "font lost on the second run"; }
echo "font, step size and timer period survived the restart"
