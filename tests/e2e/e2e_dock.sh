#!/usr/bin/env bash
# The band docks across the top; after "Align Bottom" in the options window it
# docks across the bottom, and a second start puts it there again.
program=$1
source "$(dirname "$0")/lib.sh"

dock_at() { # dock_at Y: the band fills 1920x250 at 0,Y
    geometry "$MAIN"
    [ "$GX" = 0 ] && [ "$GY" = "$1" ] && [ "$GW" = 1920 ] && [ "$GH" = 250 ] \
        || fail "the band is at $GX,$GY ${GW}x$GH, expected 0,$1 1920x250"
}

start_program
dock_at 0
band=$(settle 0 0 1920 250)
below=$(shot 0 830 1920 250)
same "$band" "$below" && fail "the band cannot be told from the empty screen"

open_options
opt_align_bottom
opt_ok
for _ in $(seq 1 50); do
    geometry "$MAIN"
    [ "$GY" = 830 ] && break
    sleep 0.1
done
dock_at 830
BAND_Y=830
becomes "$band" 0 830 1920 250 5 || fail "the band at the bottom does not look like the band at the top"
becomes "$below" 0 0 1920 250 5 || fail "the top of the screen still shows the band"
stop_program
grep -qi '"mainformlocation_ItemIndex"=dword:00000001' "$STORE" || { cat "$STORE"; fail "Align Bottom not stored"; }

start_program
dock_at 830
becomes "$band" 0 830 1920 250 5 || fail "after a restart the band at the bottom looks different"
open_options
opt_align_top
opt_ok
for _ in $(seq 1 50); do
    geometry "$MAIN"
    [ "$GY" = 0 ] && break
    sleep 0.1
done
dock_at 0
BAND_Y=0
stop_program
echo "the band docked at the top, at the bottom and back"
