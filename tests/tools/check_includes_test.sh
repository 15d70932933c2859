#!/usr/bin/env bash
# The layer check passes on the tree and fails on an include that points upwards
# or sideways, and on a folder the README does not place.
set -euo pipefail
repo=$1
check=$repo/tools/check-includes.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$check" "$repo"

expect_failure() {
    local what=$1 pattern=$2
    if python3 "$check" "$work/tree" 2> "$work/err"; then
        echo "FAIL: $what passed the check"
        exit 1
    fi
    grep -q "$pattern" "$work/err" || { echo "FAIL: $what: unexpected message"; cat "$work/err"; exit 1; }
    echo "ok: $what"
}

fresh() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    cp -r "$repo/src" "$repo/README.md" "$work/tree/"
}

fresh
printf '#include "prompterwindow.h"\n' >> "$work/tree/src/shell/tavrixerror.cpp"
expect_failure "shell including the prompter" "src/shell/tavrixerror.cpp includes prompterwindow.h of src/prompter/"

fresh
printf '#include "optionsdialog.h"\n' >> "$work/tree/src/controls/radiogroup.h"
expect_failure "controls including a dialog" "radiogroup.h includes optionsdialog.h"

fresh
printf '#include "htmlview.h"\n' >> "$work/tree/src/scripts/queuefile.cpp"
expect_failure "scripts including its sibling view" "queuefile.cpp includes htmlview.h of src/view/"

fresh
mkdir "$work/tree/src/extra"
expect_failure "a folder without a layer" "src/extra/ has no row"

fresh
printf '#include "optionsdialog.h"\n' >> "$work/tree/src/keys/keymap.cpp"
expect_failure "the key map including a window" "keymap.cpp includes optionsdialog.h of src/dialogs/"
printf '#include "speedmodel.h"\n' >> "$work/tree/src/show/timefit.cpp"
expect_failure "show including the prompter above it" "timefit.cpp includes speedmodel.h of src/prompter/"
