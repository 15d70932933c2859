#!/usr/bin/env bash
# The real program ends cleanly on SIGTERM, SIGINT and SIGHUP: status 0 and the
# settings of the run saved, also while a dialog is open; the quick editor's
# unsaved text is kept and shown at the next start; settings that cannot be
# saved go to standard error and the status is 1, without a box to wait on.
set -euo pipefail
program=$1
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME=$config
export XDG_DATA_HOME=$config/data

start() {
    "$program" 2> "$config/stderr" &
    pid=$!
    window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2>/dev/null || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no window"; kill -9 $pid; exit 1; }
    sleep 0.5
}

for signal in TERM INT HUP; do
    for dialog in none about; do
        rm -rf "$config/tavrix"
        start
        # W sets a period of 291 ms, which the store keeps.
        xdotool mousemove 600 100 click 1 key w
        if [ "$dialog" = about ]; then
            # The logo panel's menu: About is its seventh item (newer items follow it).
            xdotool mousemove 50 40 click 3
            sleep 0.3
            xdotool key Down Down Down Down Down Down Down Return
            about=""
            for _ in $(seq 1 50); do
                about=$(xdotool search --onlyvisible --name '^About Tavrix2$' 2>/dev/null || true)
                [ -n "$about" ] && break
                sleep 0.1
            done
            [ -n "$about" ] || { echo "the about box did not open"; kill -9 $pid; exit 1; }
        fi
        kill -s "$signal" $pid
        status=0
        for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
        if kill -0 $pid 2>/dev/null; then
            echo "SIG$signal ($dialog): still running"
            kill -9 $pid
            exit 1
        fi
        wait $pid || status=$?
        [ "$status" -eq 0 ] || { echo "SIG$signal ($dialog): exit status $status"; exit 1; }
        grep -q '"Timer1_Interval"=dword:00000123' "$config/tavrix/user.reg" ||
            { echo "SIG$signal ($dialog): settings not saved"; cat "$config/tavrix/user.reg" || true; exit 1; }
        echo "ok: SIG$signal with dialog $dialog"
    done
done

bad() { echo "$*"; kill -9 $pid 2>/dev/null || true; cat "$config/stderr"; exit 1; }

# ends_with STATUS WHAT: the program ends within 10 s with that status.
ends_with() {
    local status=0
    for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && bad "$2: still running"
    wait $pid || status=$?
    [ "$status" -eq "$1" ] || bad "$2: exit status $status"
}

# wait_title TITLE COUNT: until COUNT windows have that title (a message box shares the band's).
wait_title() {
    for _ in $(seq 1 50); do
        [ "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l)" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# recovers FOLDER WHERE: unsaved quick edit text survives SIGTERM in FOLDER,
# standard error names it, and the next start announces it once.
recovers() {
    start
    xdotool mousemove 50 40 click 3 sleep 0.3 key q
    wait_title 'Tavrix Quick Edit' 1 || bad "the quick editor did not open"
    sleep 0.3
    xdotool type --delay 20 "typed before the logout"
    kill -s TERM $pid
    ends_with 0 "SIGTERM (quick edit, $2)"
    recovered=$(ls "$1"/script-*.txt)
    [ "$(cat "$recovered")" = "typed before the logout" ] || bad "$2: the copy holds: $(cat "$recovered")"
    grep -qF "$recovered" "$config/stderr" || bad "$2: standard error does not name $recovered"
    start
    wait_title 'Tavrix2 Home' 2 || bad "$2: the next start did not tell where the text is"
    kill -s TERM $pid
    ends_with 0 "SIGTERM (recovered text announced, $2)"
    [ ! -e "$1/.unannounced" ] || bad "$2: announced twice"
    echo "ok: unsaved quick edit text kept and announced ($2)"
}
rm -rf "$config/tavrix" "$XDG_DATA_HOME"
recovers "$XDG_DATA_HOME/tavrix/recovered" "data folder"
# With the data folder a plain file, the config folder takes the text.
rm -rf "$config/tavrix" "$XDG_DATA_HOME"
echo "not a folder" > "$XDG_DATA_HOME"
recovers "$config/tavrix/recovered" "config folder"
rm -f "$XDG_DATA_HOME"

# band_window: the band among the windows that share its title (message boxes).
band_window() {
    local id width
    for id in $(xdotool search --onlyvisible --name '^Tavrix2 Home$' 2> /dev/null); do
        width=$(xwininfo -id "$id" | sed -n 's/^ *Width: *//p')
        [ "$width" -gt 1000 ] && { echo "$id"; return 0; }
    done
    return 1
}

# A store that is not a regular file (a FIFO would block a plain open): a
# message at the start; on SIGTERM the failed save goes to standard error with
# status 1, without a box to wait on; the store is never written over.
for store in directory fifo; do
    rm -rf "$config/tavrix"
    mkdir -p "$config/tavrix"
    if [ $store = directory ]; then mkdir "$config/tavrix/user.reg"; else mkfifo "$config/tavrix/user.reg"; fi
    start
    wait_title 'Tavrix2 Home' 2 || bad "$store: no message about the settings"
    kill -s TERM $pid
    ends_with 1 "SIGTERM (settings in a $store)"
    [ "$(grep -c 'The settings were not saved' "$config/stderr")" -eq 1 ] ||
        bad "$store: not one line on standard error"
    [ -d "$config/tavrix/user.reg" ] || [ -p "$config/tavrix/user.reg" ] || bad "$store: written over"
    echo "ok: settings in a $store reported and the program ended"

    # Closed by its close box: told at the start, so no box on close, one line on standard error.
    start
    wait_title 'Tavrix2 Home' 2 || bad "$store: no message about the settings"
    band=$(band_window)
    box=$(xdotool search --onlyvisible --name '^Tavrix2 Home$' | grep -vx "$band" | head -n 1)
    xdotool windowfocus --sync "$box" 2> /dev/null || true
    xdotool key Return
    for _ in $(seq 1 50); do
        [ "$(xdotool search --onlyvisible --name '^Tavrix2 Home$' | wc -l)" -eq 1 ] && break
        sleep 0.1
    done
    python3 "$(dirname "$0")/x11close.py" "$band"
    ends_with 0 "closed (settings in a $store)"
    [ "$(grep -c 'The settings were not saved' "$config/stderr")" -eq 1 ] ||
        bad "$store: not one line on standard error on close"
    [ -d "$config/tavrix/user.reg" ] || [ -p "$config/tavrix/user.reg" ] || bad "$store: written over"
    echo "ok: settings in a $store: closed quietly"
done
