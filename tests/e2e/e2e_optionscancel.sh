#!/usr/bin/env bash
# Changes made in the options window and then cancelled leave no trace: the
# script, the page and the band's place stay, and the window opens as before.
program=$1
source "$(dirname "$0")/lib.sh"

shown_script="$WORK/shown.txt" queued="$WORK/queued.txt"
write_script "$shown_script" "the script on show stays in lower case"
write_script "$queued" "a queued script that must not be loaded"

start_program
shown=$(show_script "$shown_script")
labels=$(labels_settle)

open_options
first=$(options_shot)
opt_add_path "$queued"
opt_add_path "$queued"
opt_item 0
opt_remove
opt_align_bottom
opt_caps_yes
changed=$(options_shot)
same "$changed" "$first" && fail "the changes do not show in the options window"
opt_cancel
sleep 0.5
geometry "$MAIN"
[ "$GY" = 0 ] || fail "Cancel moved the band to $GY"
same "$(page_shot)" "$shown" || fail "Cancel changed the page"
same "$(labels_shot)" "$labels" || fail "Cancel changed the status labels"

open_options
same "$(options_shot)" "$first" || fail "the options window kept the cancelled changes"
# Ok now, with the empty queue and the old options: still nothing changes.
opt_ok
sleep 0.5
geometry "$MAIN"
[ "$GY" = 0 ] || fail "Ok after the cancel moved the band"
page_becomes "$shown" 5 || fail "Ok after the cancel changed the page"
keys d
sleep 0.5
same "$(page_shot)" "$shown" || fail "a cancelled queue can still be stepped"
alive
stop_program
grep -qi '"mainformlocation_ItemIndex"=dword:00000000' "$STORE" || { cat "$STORE"; fail "placement not stored as top"; }
grep -qi '"allcaps_ItemIndex"=dword:00000000' "$STORE" || { cat "$STORE"; fail "capitalisation not stored as no"; }
echo "cancelled options changed nothing"
