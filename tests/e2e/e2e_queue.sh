#!/usr/bin/env bash
# A queue of three scripts built in the options window and saved, then loaded
# again from the queue file and stepped through with D and A.
program=$1
source "$(dirname "$0")/lib.sh"

one="$WORK/one.txt" two="$WORK/two.txt" three="$WORK/three.txt"
write_script "$one" "The first script of the queue"
write_script "$two" "Second" "script" "of the queue"
write_script "$three" "Third and last script of the queue, a longer line of text"
queue="$WORK/show.tvx"

start_program
empty=$(page_shot)
open_options
blank=$(options_shot)
opt_add_path "$one"
opt_add_path "$two"
opt_add_path "$three"
full=$(options_shot)
opt_save
dialog=$(wait_file_dialog 'Save As')
type_path "$dialog" "$queue"
wait_gone "$dialog"
printf '%s\r\n' "$one" "$two" "$three" > "$WORK/expected.tvx"
file_holds "$queue" "$WORK/expected.tvx" || fail "the queue file does not hold the three paths"
# Leave without taking the queue: nothing is loaded and the list goes back to empty.
opt_cancel
sleep 0.5
same "$(page_shot)" "$empty" || fail "Cancel loaded a script"

open_options
same "$(options_shot)" "$blank" || fail "the queue was kept after Cancel"
opt_load
dialog=$(wait_file_dialog)
type_path "$dialog" "$queue"
wait_gone "$dialog"
becomes "$full" "$OX" "$OY" 498 195 5 || fail "the loaded queue does not look like the saved one"
opt_ok
page_changed_from "$empty" > /dev/null || fail "Ok did not load the first script"
p0=$(page_settle)
l0=$(labels_settle)

step() { # step KEY REF: presses KEY and waits for the page to leave REF; prints the settled page
    keys "$1"
    page_changed_from "$2" > /dev/null || fail "$1 did not change the script"
    page_settle
}
p1=$(step d "$p0")
l1=$(labels_shot)
p2=$(step d "$p1")
l2=$(labels_shot)
same "$p2" "$p0" && fail "the third script looks like the first"
same "$l1" "$l0" && fail "the script label did not change"
same "$l2" "$l1" && fail "the script label did not change"
keys d
sleep 1
same "$(page_shot)" "$p2" || fail "D past the last script changed the page"
keys a
page_becomes "$p1" || fail "A did not go back to the second script"
labels_becomes "$l1" || fail "A did not show the second path"
keys a
page_becomes "$p0" || fail "A did not go back to the first script"
labels_becomes "$l0" || fail "A did not show the first path"
keys a
sleep 1
same "$(page_shot)" "$p0" || fail "A before the first script changed the page"
keys d
page_becomes "$p1" || fail "D did not step forward again"

# Each step shows the file as opening it alone would.
open_script "$three"
page_becomes "$p2" || fail "the third queue step did not show the third script"
alive
stop_program
echo "queue saved, loaded and stepped through"
