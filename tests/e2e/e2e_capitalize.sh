#!/usr/bin/env bash
# "Capitalize Script" Yes shows the script as the same script typed in capitals would be.
program=$1
source "$(dirname "$0")/lib.sh"

lower="$WORK/lower.txt" upper="$WORK/upper.txt"
write_script "$lower" "a script in lower case" "with a second line"
write_script "$upper" "A SCRIPT IN LOWER CASE" "WITH A SECOND LINE"

start_program
capitals=$(show_script "$upper" "the upper-case script")
open_script "$lower"
page_changed_from "$capitals" > /dev/null || fail "the lower-case script is not shown"
small=$(page_settle)

open_options
opt_caps_yes
opt_ok
page_becomes "$capitals" 10 || fail "Capitalize Yes did not show the script in capitals"
grep -q 'a script in lower case' "$lower" || fail "the script file was changed"

open_options
opt_caps_no
opt_ok
page_becomes "$small" 10 || fail "Capitalize No did not bring back the lower case"
stop_program
grep -qi '"allcaps_ItemIndex"=dword:00000000' "$STORE" || { cat "$STORE"; fail "capitalisation not stored"; }
echo "capitalisation shown and taken back"
