#!/usr/bin/env bash
# Prompter keys pressed while the open dialog is up go to the dialog, not to the
# prompter: after cancelling it the page and the labels are as before, and the
# keys work on the band again.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/talk.txt"
write_script "$script" "Keys typed into the dialog" "must not reach the prompter" "third line" "fourth line"

start_program
shown=$(show_script "$script")
labels=$(labels_settle)
# The dialog covers the middle of the band: while it is up only the left end is compared.
left() { shot 0 "$BAND_Y" 480 250; }
left_shown=$(left)

menu o
dialog=$(wait_file_dialog)
xdotool windowfocus --sync "$dialog" 2> /dev/null || true
for k in w w w w w q e s d a f space; do
    xdotool key "$k"
    sleep 0.05
done
sleep 1
has_window Open || fail "the keys closed the open dialog"
same "$(left)" "$left_shown" || fail "the page or the labels changed while the dialog was open"
xdotool key Escape
wait_gone "$dialog"
sleep 1
same "$(page_shot)" "$shown" || fail "cancelling the dialog changed the page"
same "$(labels_shot)" "$labels" || fail "cancelling the dialog changed the labels"
alive

keys w
changed_from "$labels" 0 $((BAND_Y + 198)) 1200 31 5 > /dev/null || fail "W on the band did nothing afterwards"
stop_program
echo "keys in the open dialog left the prompter alone"
