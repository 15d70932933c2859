#!/usr/bin/env bash
# Keys and Devices: the presenter clicker chosen in its window, then the
# clicker's Page Down, F5, Escape and Page Up drive the band (read from the
# status strip). Taken for the whole desktop, the same keys drive it while
# another program has the focus; before that, they do not.
program=$1
source "$(dirname "$0")/lib.sh"

script="$WORK/long.txt"
lines=()
for i in $(seq 1 300); do lines+=("Clicker line $i"); done
write_script "$script" "${lines[@]}"

start_program
paused=$(speed_shot)
open_script "$script"
# What the speed label shows at 10 and at 20, by the keys.
keys w
speed10=$(settle 0 $((BAND_Y + 198)) 120 31 5)
same "$speed10" "$paused" && fail "W did not change the speed label"
keys w
speed20=$(settle 0 $((BAND_Y + 198)) 120 31 5)
same "$speed20" "$speed10" && fail "a second W did not change the speed label"
keys s s
speed_becomes "$paused" 5 || fail "S did not pause again"

# keys_window ALT-KEY...: opens Keys and Devices (above the show's five items), presses the keys, then OK.
keys_window() {
    menu Up Up Up Up Up Up Return
    local window
    window=$(wait_window 'Keys and Devices')
    xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
    sleep 0.3
    local k
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.3
    done
    xdotool key Return
    wait_no_window 'Keys and Devices'
}

keys_window alt+p
keys Next
speed_becomes "$speed10" 5 || fail "Page Down did not go faster"
keys F5
speed_becomes "$paused" 5 || fail "F5 did not pause"
keys Escape
speed_becomes "$speed10" 5 || fail "Escape did not resume"
keys Prior
speed_becomes "$paused" 5 || fail "Page Up did not slow to a stop"

# Another program with the focus: the band hears nothing of its keys...
xmessage -title Elsewhere "another program" &
other=$!
trap 'kill $other 2> /dev/null || true; e2e_cleanup' EXIT
elsewhere=$(wait_window Elsewhere)
focus_elsewhere() { xdotool windowfocus --sync "$elsewhere" 2> /dev/null || xdotool windowfocus "$elsewhere"; }
focus_elsewhere
xdotool key Next
sleep 1
same "$(speed_shot)" "$paused" || fail "Page Down reached the band from another program's window"
# ...until the bound keys are taken for the whole desktop.
keys_window alt+w
focus_elsewhere
xdotool key Next
speed_becomes "$speed10" 5 || fail "Page Down in another program's window did not go faster"
xdotool key F5
speed_becomes "$paused" 5 || fail "F5 in another program's window did not pause"
# In the band itself a taken key still acts once, not twice.
keys Next
speed_becomes "$speed20" 5 || fail "Page Down in the band did not go from 10 to 20"
alive
stop_program
grep -q '^"KeyBindings"=".*Esc=pause;PgUp=slower;PgDown=faster;F5=pause' "$STORE" ||
    fail "the clicker's keys are not stored: $(grep Key "$STORE")"
grep -q '"KeysDesktopWide"=dword:00000001' "$STORE" || fail "the desktop-wide option is not stored"
echo "ok: clicker keys, in the band and from another program"
