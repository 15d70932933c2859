#!/usr/bin/env bash
# Scripts named on the command line, as a file manager's "Open With" names
# them: one text and one Word document become the queue, the first shown;
# --version and --help answer on standard output.
program=$1
source "$(dirname "$0")/lib.sh"

version=$("$program" --version) || fail "--version failed"
[ "$version" = "tavrix 2.0.0" ] || fail "--version printed '$version'"
"$program" --help | grep -q "files" || fail "--help does not name the files it takes"

text="$WORK/a.txt"
write_script "$text" "Good evening from the text script"
cp "$(dirname "$0")/../data/documents/pydocx_tracked.docx" "$WORK/b.docx"
start_program "$text" "$WORK/b.docx"
sleep 0.5
first=$(page_settle)
[ "$(message_boxes)" -eq 0 ] || fail "opening the two scripts gave a message"

keys d
page_changed_from "$first" > /dev/null || fail "D did not step to the Word document"
page_settle > /dev/null
keys a
page_becomes "$first" || fail "A did not step back to the text script"
stop_program

echo "PASS"
