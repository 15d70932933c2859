#!/usr/bin/env bash
# Monitors going, coming back and changing places under the band: the band
# docks again on the primary screen, the talent screen comes back on its own
# monitor and never opens on the band's, and the logo's menu still opens.
program=$1
source "$(dirname "$0")/../e2e/lib.sh"
MODE=1920x1080_60

# placed WINDOW-TITLE X W H: waits until the first window of that title is at X,0 and W x H.
placed() {
    local id
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1 || true)
        [ -n "$id" ] && geometry "$id" && [ "$GX,$GY,$GW,$GH" = "$2,0,$3,$4" ] && return 0
        sleep 0.1
    done
    fail "'$1' is at ${GX:-?},${GY:-?} ${GW:-?}x${GH:-?}, not at $2,0 $3x$4"
}

# logo_menu X: a right click on the logo of the band docked at X opens its menu.
logo_menu() {
    local before
    before=$(xdotool search --onlyvisible --pid "$PID" 2> /dev/null | wc -l)
    xdotool mousemove $(($1 + 50)) 120 click 3
    for _ in $(seq 1 50); do
        [ "$(xdotool search --onlyvisible --pid "$PID" | wc -l)" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$(xdotool search --onlyvisible --pid "$PID" | wc -l)" -gt "$before" ] ||
        fail "the logo's menu did not open on the band at $1"
    xdotool key Escape
}

start_program
# Talent Screen (the tenth item) > DUMMY1, the only screen besides the band's.
menu Down Down Down Down Down Down Down Down Down Down Right Return
placed 'Tavrix Talent' 1920 1920 1080

# The band's monitor goes: the other one takes its place at 0,0, under the
# band, which may not share it with the talent screen.
xrandr --output DUMMY0 --off
placed 'Tavrix2 Home' 0 1920 250
wait_no_window 'Tavrix Talent'

# It comes back as the primary at 0,0: the band, which never moved, is on it
# again, and the talent screen reopens on its own monitor.
xrandr --output DUMMY0 --mode $MODE --pos 0x0 --primary --output DUMMY1 --mode $MODE --pos 1920x0
placed 'Tavrix2 Home' 0 1920 250
placed 'Tavrix Talent' 1920 1920 1080
logo_menu 0

# The monitors change places: the band follows the primary, the talent its own monitor.
xrandr --output DUMMY1 --pos 0x0 --output DUMMY0 --pos 1920x0 --primary
placed 'Tavrix2 Home' 1920 1920 250
placed 'Tavrix Talent' 0 1920 1080
logo_menu 1920
stop_program
grep -q '"TalentScreen"="DUMMY1"' "$STORE" || { cat "$STORE"; fail "the talent's screen was not kept"; }
echo "the band docked on the primary screen and the talent screen kept to its own monitor"
