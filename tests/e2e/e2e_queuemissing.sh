#!/usr/bin/env bash
# A queue file written by hand whose middle entry is missing: stepping onto it
# gives the message box and keeps the script on show; the next step goes on past it.
program=$1
source "$(dirname "$0")/lib.sh"

one="$WORK/one.txt" three="$WORK/three.txt"
write_script "$one" "The first script"
write_script "$three" "The third script" "after the missing one"
queue="$WORK/hand.tvx"
printf '%s\n' "$one" "$WORK/missing.txt" "$three" > "$queue"

dismiss() { # dismiss: expects one message box and answers it with Return
    local box
    box=$(wait_message_box)
    xdotool windowfocus --sync "$box" 2> /dev/null || true
    xdotool key Return
    wait_gone "$box"
}

start_program
empty=$(page_shot)
open_options
opt_load
dialog=$(wait_file_dialog)
type_path "$dialog" "$queue"
wait_gone "$dialog"
sleep 0.5
opt_ok
page_changed_from "$empty" > /dev/null || fail "Ok did not load the first script"
first=$(page_settle)
labels_first=$(labels_settle)

keys d
dismiss
alive
same "$(page_shot)" "$first" || fail "the missing script changed the page"
same "$(labels_shot)" "$labels_first" || fail "the missing script changed the labels"

keys d
page_changed_from "$first" > /dev/null || fail "D did not go on past the missing script"
third=$(page_settle)

keys a
dismiss
same "$(page_shot)" "$third" || fail "stepping back onto the missing script changed the page"
keys a
page_becomes "$first" || fail "A did not go back past the missing script"
alive
stop_program
echo "the missing queue entry was reported and stepped over"
