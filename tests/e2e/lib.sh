# Shared helpers of the end-to-end scripts: source it after setting `program`.
# The program is driven only from outside (xdotool) and judged by what the
# screen shows (screen rectangles compared byte for byte) and what it leaves on disk.
set -euo pipefail

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CLOSER="$E2E_DIR/../app/x11close.py"
SHOOTER="$E2E_DIR/../../tools/x11shot.py"
WORK=$(mktemp -d)
export XDG_CONFIG_HOME="$WORK/config"
export XDG_DATA_HOME="$WORK/data"
mkdir -p "$XDG_CONFIG_HOME"
STORE="$XDG_CONFIG_HOME/tavrix/user.reg"
PID=""
MAIN=""
BAND_Y=0
PAGE_X=100 PAGE_W=1740 PAGE_H=198 # the page between the logo panel and its scroll bar

e2e_cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2> /dev/null; then
        kill "$PID" 2> /dev/null || true
        wait "$PID" 2> /dev/null || true
    fi
    rm -rf "$WORK"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$WORK/program.log" ] && { echo "program output:" >&2; tail -n 20 "$WORK/program.log" >&2; }
    if [ -n "${E2E_KEEP:-}" ]; then
        mkdir -p "$E2E_KEEP" && cp "$WORK"/*.png "$E2E_KEEP"/ 2> /dev/null || true
        python3 "$SHOOTER" "$E2E_KEEP/failure-screen.png" 0 0 1920 1080 || true
    fi
    exit 1
}

# wait_window TITLE [SECONDS]: prints the id of the visible window titled exactly TITLE.
wait_window() {
    local title=$1 limit=${2:-10} id=""
    for _ in $(seq 1 $((limit * 10))); do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2> /dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no window titled '$title' within ${limit}s"
}

# wait_no_window TITLE [SECONDS]: until no visible window has that title.
wait_no_window() {
    local title=$1 limit=${2:-10}
    for _ in $(seq 1 $((limit * 10))); do
        xdotool search --onlyvisible --name "^${title}\$" > /dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$title' still shown after ${limit}s"
}

# has_window TITLE: true while a visible window has that title.
has_window() { xdotool search --onlyvisible --name "^${1}\$" > /dev/null 2>&1; }

# geometry WINDOW: sets GX GY GW GH to the window's place and size on the screen.
geometry() {
    local info
    info=$(xwininfo -id "$1")
    GX=$(printf '%s\n' "$info" | sed -n 's/^ *Absolute upper-left X: *//p')
    GY=$(printf '%s\n' "$info" | sed -n 's/^ *Absolute upper-left Y: *//p')
    GW=$(printf '%s\n' "$info" | sed -n 's/^ *Width: *//p')
    GH=$(printf '%s\n' "$info" | sed -n 's/^ *Height: *//p')
}

# shot X Y W H: saves the rectangle to a new file in WORK and prints its path.
shot() {
    local out
    out=$(mktemp "$WORK/shot.XXXXXX.png")
    python3 "$SHOOTER" --fast "$out" "$@" || fail "screenshot failed"
    echo "$out"
}
same() { cmp -s "$1" "$2"; }

# settle X Y W H [SECONDS]: waits until the rectangle stays the same for 0.5 s; prints the last shot.
settle() {
    local limit=${5:-10} prev cur
    prev=$(shot "$1" "$2" "$3" "$4")
    for _ in $(seq 1 $((limit * 2))); do
        sleep 0.5
        cur=$(shot "$1" "$2" "$3" "$4")
        if same "$prev" "$cur"; then
            echo "$cur"
            return 0
        fi
        prev=$cur
    done
    fail "the rectangle $* never settled"
}

# changed_from REF X Y W H [SECONDS]: waits until the rectangle differs from the shot REF; prints the new shot.
changed_from() {
    local ref=$1 limit=${6:-10} cur
    shift
    for _ in $(seq 1 $((limit * 10))); do
        cur=$(shot "$1" "$2" "$3" "$4")
        if ! same "$ref" "$cur"; then
            echo "$cur"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# becomes REF X Y W H [SECONDS]: waits until the rectangle equals the shot REF again.
becomes() {
    local ref=$1 limit=${6:-10} cur
    shift
    for _ in $(seq 1 $((limit * 10))); do
        cur=$(shot "$1" "$2" "$3" "$4")
        same "$ref" "$cur" && return 0
        sleep 0.1
    done
    return 1
}

# Regions of the band, relative to where it is docked.
page_shot() { shot $PAGE_X "$BAND_Y" $PAGE_W $PAGE_H; }
page_settle() { settle $PAGE_X "$BAND_Y" $PAGE_W $PAGE_H "${1:-10}"; }
page_changed_from() { changed_from "$1" $PAGE_X "$BAND_Y" $PAGE_W $PAGE_H "${2:-10}"; }
page_becomes() { becomes "$1" $PAGE_X "$BAND_Y" $PAGE_W $PAGE_H "${2:-10}"; }
# The upper row of status labels left of the times: speed, step, path, version.
labels_shot() { shot 0 $((BAND_Y + 198)) 1200 31; }
labels_settle() { settle 0 $((BAND_Y + 198)) 1200 31 "${1:-10}"; }
labels_becomes() { becomes "$1" 0 $((BAND_Y + 198)) 1200 31 "${2:-10}"; }
# The left end of the labels: speed and step, before any script path.
speed_shot() { shot 0 $((BAND_Y + 198)) 120 31; }
speed_becomes() { becomes "$1" 0 $((BAND_Y + 198)) 120 31 "${2:-10}"; }

# start_program: starts the program with the settings folder of this test and waits for its band.
start_program() {
    "$program" "$@" > "$WORK/program.log" 2>&1 &
    PID=$!
    MAIN=$(wait_window 'Tavrix2 Home' 15)
    geometry "$MAIN"
    BAND_Y=$GY
    page_settle > /dev/null
}

# stop_program: closes the band as its close box would and expects exit status 0.
stop_program() {
    python3 "$CLOSER" "$MAIN"
    for _ in $(seq 1 100); do
        kill -0 "$PID" 2> /dev/null || break
        sleep 0.1
    done
    kill -0 "$PID" 2> /dev/null && fail "the program did not end after its band was closed"
    local status=0
    wait "$PID" || status=$?
    PID=""
    [ $status -eq 0 ] || fail "the program ended with status $status"
}

# alive: the program still runs.
alive() { kill -0 "$PID" 2> /dev/null || fail "the program is gone"; }

# keys KEY...: gives the band the keyboard and presses the keys on its page.
keys() {
    xdotool windowfocus --sync "$MAIN" 2> /dev/null || xdotool windowfocus "$MAIN"
    xdotool mousemove $((PAGE_X + 900)) $((BAND_Y + 100))
    local k
    for k in "$@"; do
        xdotool key --delay 60 "$k"
        sleep 0.1
    done
}

# menu KEY...: opens the logo panel's pop-up menu with a right click and presses KEY... in it.
menu() {
    local before after
    before=$(xdotool search --onlyvisible --pid "$PID" 2> /dev/null | wc -l)
    xdotool mousemove 50 $((BAND_Y + 120)) click 3
    for _ in $(seq 1 50); do
        after=$(xdotool search --onlyvisible --pid "$PID" 2> /dev/null | wc -l)
        [ "$after" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$after" -gt "$before" ] || fail "the pop-up menu did not open"
    sleep 0.2
    xdotool key --delay 80 "$@"
}

# type_path WINDOW PATH: types PATH into the focused field of the file dialog WINDOW and presses Return.
type_path() {
    xdotool windowfocus --sync "$1" 2> /dev/null || xdotool windowfocus "$1"
    sleep 0.2
    xdotool key ctrl+a
    xdotool type --delay 15 "$2"
    sleep 0.2
    xdotool key Return
}

# open_script PATH: "&Open Single Script" through the menu and its file dialog.
open_script() {
    menu o
    local dialog
    dialog=$(wait_file_dialog)
    type_path "$dialog" "$1"
    wait_gone "$dialog"
}

# show_script PATH [WHAT]: opens PATH, waits until the page shows something new
# and settles; prints the settled page.
show_script() {
    local before
    before=$(page_shot)
    open_script "$1"
    page_changed_from "$before" > /dev/null || fail "${2:-the script} is not shown"
    page_settle
}

# pick_font FAMILY SIZE: opens the font dialog from the menu and types FAMILY and
# SIZE into it, leaving it open; sets FONTS to the dialog's id.
pick_font() {
    menu Down Down Return
    FONTS=$(wait_window 'Select Font')
    geometry "$FONTS"
    sleep 0.5
    xdotool windowfocus --sync "$FONTS" 2> /dev/null || true
    # The family list takes the typed name as a search; the size field takes the digits.
    xdotool type --delay 30 "$1"
    sleep 0.5
    xdotool mousemove $((GX + 452)) $((GY + 35)) click --repeat 3 1
    xdotool type --delay 30 "$2"
    sleep 0.3
}

# wait_gone WINDOW [SECONDS]: until the window is no longer viewable.
wait_gone() {
    local limit=${2:-10}
    for _ in $(seq 1 $((limit * 10))); do
        xwininfo -id "$1" 2> /dev/null | grep -q 'Map State: IsViewable' || return 0
        sleep 0.1
    done
    fail "window $1 still shown after ${limit}s"
}

# write_script PATH LINES...: a plain text script of the given lines.
write_script() {
    local out=$1
    shift
    printf '%s\n' "$@" > "$out"
}

# wait_file_dialog [TITLE]: the id of Qt's file dialog ("Open" or "Save As").
wait_file_dialog() { wait_window "${1:-Open}" 10; }

# message_boxes: how many windows titled like the band are shown besides the band (message boxes).
message_boxes() {
    local n
    n=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2> /dev/null | grep -vx "$MAIN" | wc -l || true)
    echo "$n"
}

# wait_message_box: prints the id of the message box shown over the band.
wait_message_box() {
    local id
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2> /dev/null | grep -vx "$MAIN" | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    fail "no message box appeared"
}

# open_options: "O&ptions and Multi-Scripting" (p selects it, Return triggers); sets OPT, OX, OY.
open_options() {
    menu p Return
    OPT=$(wait_window 'Tavrix Options')
    geometry "$OPT"
    OX=$GX OY=$GY
    settle "$OX" "$OY" 498 237 > /dev/null
}
# Everything but the Ok and Cancel buttons, whose focus frame follows the last click.
options_shot() { shot "$OX" "$OY" 498 195; }
# option_click X Y: a left click at X,Y inside the options window.
option_click() {
    xdotool mousemove $((OX + $1)) $((OY + $2)) click 1
    sleep 0.3
}
opt_add() { option_click 268 70; }
opt_remove() { option_click 278 103; }
opt_load() { option_click 273 136; }
opt_save() { option_click 273 169; }
opt_align_top() { option_click 355 71; }
opt_align_bottom() { option_click 355 90; }
opt_caps_no() { option_click 355 134; }
opt_caps_yes() { option_click 355 154; }
opt_ok() { option_click 374 216; wait_no_window 'Tavrix Options'; }
opt_cancel() { option_click 449 216; wait_no_window 'Tavrix Options'; }
# opt_item N: selects the queue item N (from 0).
opt_item() { option_click 40 $((64 + 13 * $1)); }
# opt_add_path PATH: Add Script through its file dialog.
opt_add_path() {
    local before dialog
    before=$(options_shot)
    opt_add
    dialog=$(wait_file_dialog)
    type_path "$dialog" "$1"
    wait_gone "$dialog"
    changed_from "$before" "$OX" "$OY" 498 195 5 > /dev/null || fail "Add Script did not add $1"
}

# file_holds PATH EXPECTED-FILE [SECONDS]: waits until PATH holds exactly the bytes of EXPECTED-FILE
# (the program writes after its dialog has gone).
file_holds() {
    local limit=${3:-5}
    for _ in $(seq 1 $((limit * 10))); do
        cmp -s "$2" "$1" 2> /dev/null && return 0
        sleep 0.1
    done
    echo "expected:" >&2
    od -c "$2" | head -n 20 >&2 || true
    echo "found:" >&2
    od -c "$1" 2>&1 | head -n 20 >&2 || true
    return 1
}
