#!/usr/bin/env bash
# A script that cannot be read (a FIFO nobody writes to) gives the message box;
# the shown script stays, and the program goes on taking scripts and keys.
program=$1
source "$(dirname "$0")/lib.sh"

good="$WORK/good.txt"
other="$WORK/other.txt"
write_script "$good" "A script that reads fine" "with a second line"
write_script "$other" "Another script" "shown after the failure"
fifo="$WORK/pipe.txt"
mkfifo "$fifo"

start_program
empty=$(page_shot)
open_script "$good"
page_changed_from "$empty" > /dev/null || fail "the good script is not shown"
shown=$(page_settle)
labels=$(labels_settle)

menu o
dialog=$(wait_file_dialog)
type_path "$dialog" "$fifo"
box=$(wait_message_box)
[ "$(message_boxes)" -eq 1 ] || fail "expected one message box"
same "$(page_shot)" "$shown" || fail "the page changed under the message box"
xdotool windowfocus --sync "$box" 2> /dev/null || true
xdotool key Return
wait_gone "$box"
alive
same "$(page_shot)" "$shown" || fail "the failed read changed the page"
same "$(labels_shot)" "$labels" || fail "the failed read changed the status labels"

open_script "$other"
page_changed_from "$shown" > /dev/null || fail "no script shown after the failed read"
keys w
changed_from "$labels" 0 $((BAND_Y + 198)) 1200 31 5 > /dev/null || fail "the keys no longer reach the band"
alive
stop_program
echo "the FIFO gave a message box and the program went on"
