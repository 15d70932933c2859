#!/usr/bin/env bash
# The status strip's picture buttons clicked, held and double-clicked, and
# Toggle Help without a network: the message box, and the script stays.
program=$1
source "$(dirname "$0")/lib.sh"

# Centres of the buttons in the strip's lower row, left to right.
declare -A BUTTON=([faster]=13 [slower]=40 [coarseFaster]=67 [coarseSlower]=94 [pause]=121
    [reverse]=148 [reset]=174 [previous]=200 [next]=227 [help]=276)
button_y() { echo $((BAND_Y + 239)); }
click_button() { xdotool mousemove "${BUTTON[$1]}" "$(button_y)" click --repeat "${2:-1}" --delay 80 1; }

# The probe asks a closed local port, so that Toggle Help finds no Internet
# whether or not this machine has a network.
closed_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export TAVRIX_PROBE_ADDRESS="http://127.0.0.1:$closed_port/"

script="$WORK/long.txt"
lines=()
for i in $(seq 1 300); do lines+=("Strip line $i"); done
write_script "$script" "${lines[@]}"

start_program
paused=$(speed_shot)
open_script "$script"
top=$(page_settle)

click_button faster
page_changed_from "$top" 10 > /dev/null || fail "Increase Speed did not start the text"
one_click=$(speed_shot)
same "$one_click" "$paused" && fail "the speed label still reads as paused"

click_button pause
speed_becomes "$paused" 5 || fail "Pause did not pause"
a=$(page_shot)
sleep 1
same "$(page_shot)" "$a" || fail "the text moves after Pause"
click_button pause
speed_becomes "$one_click" 5 || fail "Pause again did not resume at the same speed"
page_changed_from "$a" 10 > /dev/null || fail "the text did not move again"

click_button reset
page_becomes "$top" 10 || fail "Reset did not go back to the top"
speed_becomes "$paused" 5 || fail "Reset did not pause"

# Held for a second, Increase Speed repeats: the label differs from one click's.
xdotool mousemove "${BUTTON[faster]}" "$(button_y)" mousedown 1
sleep 1.1
xdotool mouseup 1
held=$(labels_settle 5)
same "$(speed_shot)" "$one_click" && fail "holding Increase Speed added only one step"
click_button reset
page_becomes "$top" 10 || fail "Reset did not go back to the top after the hold"

# The operator's slips: a double click on every button but Help.
for name in faster slower coarseFaster coarseSlower pause reverse reset previous next; do
    click_button "$name" 2
    alive
done
[ "$(message_boxes)" -eq 0 ] || fail "a button opened a message box"
click_button reset
page_becomes "$top" 10 || fail "Reset did not go back to the top after the double clicks"

# No Internet: Toggle Help reports it and the script stays.
click_button help
box=$(wait_message_box)
xdotool windowfocus --sync "$box" 2> /dev/null || true
xdotool key Return
wait_gone "$box"
alive
same "$(page_shot)" "$top" || fail "the script did not stay after Toggle Help"
stop_program
echo "ok: strip buttons"
