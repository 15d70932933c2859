#!/usr/bin/env bash
# Quick edit: the text typed in the editor is written by "Save and Exit" to the
# chosen file and shown in the prompter at once, as that file opened by itself
# would be; the script label keeps naming the script loaded before.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/before.txt"
saved="$WORK/after.txt"
write_script "$script" "The text before the edit" "second line before"

start_program
before=$(show_script "$script")
labels=$(labels_settle)

menu q
editor=$(wait_window 'Tavrix Quick Edit')
xdotool windowfocus --sync "$editor" 2> /dev/null || true
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 20 "Edited by hand"
xdotool key Return
xdotool type --delay 20 "and a second edited line"
sleep 0.3
xdotool key alt+f
sleep 0.5
xdotool key s
dialog=$(wait_file_dialog 'Save As')
type_path "$dialog" "$saved"
wait_gone "$dialog"
wait_no_window 'Tavrix Quick Edit'

printf 'Edited by hand\r\nand a second edited line' > "$WORK/expected.txt"
file_holds "$saved" "$WORK/expected.txt" || fail "the saved file does not hold the edited text"
grep -q 'The text before the edit' "$script" || fail "the original script was touched"
edited=$(page_changed_from "$before") || fail "the edited text is not shown"
edited=$(page_settle)
same "$(labels_shot)" "$labels" || fail "the status labels changed with the edit"

# The same text read from the saved file looks the same on the page.
open_script "$script"
page_becomes "$before" 10 || fail "reopening the original did not show it"
open_script "$saved"
page_becomes "$edited" 10 || fail "the saved file does not look like the edited page"
alive
stop_program
echo "quick edit saved the text and showed it"
