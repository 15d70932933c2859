#!/usr/bin/env bash
# Monitors going, coming back and changing places under the band: the band
# docks again on the primary screen, the talent screen comes back on its own
# monitor and never opens on the band's, and the logo's menu still opens.
program=$1
source "$(dirname "$0")/../e2e/lib.sh"
MODE=1920x1080_60

# band_at X: waits until the band's left edge is at X.
band_at() {
    for _ in $(seq 1 100); do
        geometry "$MAIN"
        [ "$GX" = "$1" ] && [ "$GY" = 0 ] && return 0
        sleep 0.1
    done
    fail "the band is at $GX,$GY, not docked at $1,0"
}

# talent_at X: waits until the talent window covers the monitor at X.
talent_at() {
    local id
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name '^Tavrix Talent$' 2> /dev/null | head -n 1 || true)
        if [ -n "$id" ]; then
            geometry "$id"
            [ "$GX,$GY,$GW,$GH" = "$1,0,1920,1080" ] && return 0
        fi
        sleep 0.1
    done
    fail "no talent window on the monitor at $1 (last seen at ${GX:-?},${GY:-?} ${GW:-?}x${GH:-?})"
}

# logo_menu X: a right click on the logo of the band docked at X opens its menu; Escape closes it.
logo_menu() {
    local before after
    before=$(xdotool search --onlyvisible --pid "$PID" 2> /dev/null | wc -l)
    xdotool mousemove $(($1 + 50)) 120 click 3
    for _ in $(seq 1 50); do
        after=$(xdotool search --onlyvisible --pid "$PID" 2> /dev/null | wc -l)
        [ "$after" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$after" -gt "$before" ] || fail "the logo's menu did not open on the band at $1"
    xdotool key Escape
    sleep 0.3
}

start_program
# Talent Screen (the tenth item) > DUMMY1, the only screen besides the band's.
menu Down Down Down Down Down Down Down Down Down Down Right Return
talent_at 1920

# The band's monitor goes: the other one takes its place at 0,0 and the band
# stays docked there, on the talent's monitor, where the talent may not be.
xrandr --output DUMMY0 --off
band_at 0
wait_no_window 'Tavrix Talent'
alive

# It comes back as the primary at 0,0: the band, which never moved, is on it
# again, and the talent screen reopens on its own monitor.
xrandr --output DUMMY0 --mode $MODE --pos 0x0 --primary --output DUMMY1 --mode $MODE --pos 1920x0
band_at 0
talent_at 1920
logo_menu 0

# The monitors change places: the band follows the primary, the talent its own monitor.
xrandr --output DUMMY1 --pos 0x0 --output DUMMY0 --pos 1920x0 --primary
band_at 1920
talent_at 0
logo_menu 1920
alive
stop_program
grep -q '"TalentScreen"="DUMMY1"' "$STORE" || { cat "$STORE"; fail "the talent's screen was not kept"; }
echo "the band docked on the primary screen and the talent screen kept to its own monitor"
