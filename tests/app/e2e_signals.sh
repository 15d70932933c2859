#!/usr/bin/env bash
# The real program ends cleanly on SIGTERM, SIGINT and SIGHUP: status 0 and the
# settings of the run saved, also while a dialog is open.
set -euo pipefail
program=$1
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
export XDG_CONFIG_HOME=$config

start() {
    "$program" &
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
