#!/usr/bin/env bash
# Markers and the countdown: a script of three "# " sections; with a 3 s
# countdown stored, Q from a pause shows 3, 2, 1 over the page and then the
# page moves; back at the top, Next Marker twice puts the third section's
# line at the reading line, a third of the way down the page (read by OCR).
program=$1
source "$(dirname "$0")/lib.sh"

mkdir -p "$(dirname "$STORE")"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"ShowCountdown"=dword:00000003\r\n' \
    > "$STORE"

script="$WORK/show.txt"
lines=()
for section in Opening Weather Sport; do
    lines+=("# $section")
    for i in $(seq 1 24); do lines+=("$section line $i"); done
done
write_script "$script" "${lines[@]}"

start_program
top=$(show_script "$script")

# ocr FILE WHITELIST PSM: the text tesseract reads in a white-on-black shot.
ocr() {
    convert "$1" -negate -resize 300% -colorspace Gray -threshold 50% "$WORK/ocr.png"
    tesseract "$WORK/ocr.png" - --psm "$3" -c tessedit_char_whitelist="$2" 2> /dev/null |
        tr -d ' \n' || true
}

# Speed 100, paused; then Q counts down in the middle of the page.
keys w w w w w w w w w w
keys q
paused=$(settle 0 $((BAND_Y + 198)) 120 31 5)
keys F
page_becomes "$top" 10 || fail "F did not go back to the top"
same "$(speed_shot)" "$paused" || fail "F did not leave the band paused"
# Every new picture of the middle of the page, from one watching process,
# until the speed label leaves "Paused..."; read afterwards.
mkdir -p "$WORK/countdown"
python3 "$E2E_DIR/watchshots.py" "$WORK/countdown" 10 $((PAGE_X + PAGE_W / 2 - 100)) "$BAND_Y" \
    200 "$PAGE_H" 0 $((BAND_Y + 198)) 120 31 &
watcher=$!
# Watching before the start: the first picture is the still page.
for _ in $(seq 1 100); do
    [ -e "$WORK/countdown/000.png" ] && break
    sleep 0.1
done
keys q
wait $watcher
digits=""
for box in "$WORK"/countdown/*.png; do
    digit=$(ocr "$box" 0123456789 10)
    [ -n "$digit" ] && [ "${digits: -1}" != "$digit" ] && digits+=$digit
done
[ "$digits" = 321 ] || fail "the countdown showed '$digits', not 3, 2, 1"
same "$(speed_shot)" "$paused" && fail "the page did not start after the countdown"
moving=$(page_shot)
page_changed_from "$moving" 5 > /dev/null || fail "the page does not move after the countdown"

# Back at the top, paused: the Markers preset chosen in Keys and Devices (above
# the show's five items), then Ctrl+Down twice.
keys F
page_becomes "$top" 10 || fail "F did not go back to the top after the countdown"
menu Up Up Up Up Up Up Return
window=$(wait_window 'Keys and Devices')
xdotool windowfocus --sync "$window" 2> /dev/null || xdotool windowfocus "$window"
sleep 0.3
xdotool key alt+k
sleep 0.3
xdotool key Return
wait_no_window 'Keys and Devices'
keys ctrl+Down
page_changed_from "$top" 10 > /dev/null || fail "Ctrl+Down did not move the page to the next marker"
first=$(page_settle)
keys ctrl+Down
page_changed_from "$first" 10 > /dev/null || fail "the second Ctrl+Down did not move the page"
page_settle > /dev/null
# The reading line is a third of the way down the page; a line is about 28 px high.
reading=$((BAND_Y + PAGE_H / 3))
line=$(shot "$PAGE_X" $((reading - 14)) 600 28)
read=$(ocr "$line" "#ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz" 7)
[[ $read == *Sport* ]] || fail "the reading line reads '$read', not the third section's '# Sport'"
[[ $read == *line* ]] && fail "the reading line reads '$read': a line of text, not the marker"
stop_program
echo "ok: markers and countdown"
