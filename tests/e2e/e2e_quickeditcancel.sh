#!/usr/bin/env bash
# Leaving an edited quick edit without saving asks once; Yes keeps the editor,
# No closes it and the prompter still shows the old text. Nothing is written.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/keep.txt"
write_script "$script" "This text stays" "whatever is typed in the editor"
cp "$script" "$WORK/original.txt"

start_program
shown=$(show_script "$script")

menu q
editor=$(wait_window 'Tavrix Quick Edit')
xdotool windowfocus --sync "$editor" 2> /dev/null || true
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 20 "Thrown away"
sleep 0.3
xdotool key alt+f
sleep 0.5
xdotool key c
box=$(wait_message_box)
xdotool windowfocus --sync "$box" 2> /dev/null || true
xdotool key alt+y
wait_gone "$box"
sleep 0.5
has_window 'Tavrix Quick Edit' || fail "Yes closed the editor"

xdotool windowfocus --sync "$editor" 2> /dev/null || true
xdotool key alt+f
sleep 0.5
xdotool key c
box=$(wait_message_box)
xdotool windowfocus --sync "$box" 2> /dev/null || true
xdotool key alt+n
wait_gone "$box"
wait_no_window 'Tavrix Quick Edit'
[ "$(message_boxes)" -eq 0 ] || fail "a second question appeared"
sleep 0.5
same "$(page_shot)" "$shown" || fail "the discarded edit reached the page"
cmp -s "$script" "$WORK/original.txt" || fail "the script file was written"
[ "$(ls "$WORK"/*.txt | wc -l)" -eq 2 ] || fail "a file was written: $(ls "$WORK")"

# Opening and leaving without typing asks nothing.
menu q
editor=$(wait_window 'Tavrix Quick Edit')
xdotool windowfocus --sync "$editor" 2> /dev/null || true
sleep 0.3
xdotool key alt+f
sleep 0.5
xdotool key c
wait_no_window 'Tavrix Quick Edit'
[ "$(message_boxes)" -eq 0 ] || fail "an unchanged editor asked a question"
alive
stop_program
echo "the discarded edit asked once and changed nothing"
