#!/usr/bin/env bash
# Remote control: started from its window, the QR code read back to the shown
# address, the phone page in a headless Chromium pressing Faster three times
# and Pause, and the band reading so.
program=$1
source "$(dirname "$0")/lib.sh"

# A free port, stored where the program keeps it, so that the test never meets another server.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("", 0)); print(s.getsockname()[1])')
mkdir -p "$(dirname "$STORE")"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"RemotePort"=dword:%08x\r\n' \
    "$port" > "$STORE"

start_program
paused=$(speed_shot)
# What the speed label shows at 30, by the keys.
keys w w w
speed30=$(settle 0 $((BAND_Y + 198)) 120 31 5)
same "$speed30" "$paused" && fail "three W did not change the speed label"
keys s s s
speed_becomes "$paused" 5 || fail "three S did not pause again"

# "Remote Control..." comes before Follow My Voice, Paste, Keys and Devices and
# the show's five items (Next Marker, Previous Marker, Go To, Target Time...,
# Show Options...), the menu's last items.
menu Up Up Up Up Up Up Up Up Up Return
remote=$(wait_window 'Remote Control')
xdotool windowfocus --sync "$remote" 2> /dev/null || xdotool windowfocus "$remote"
sleep 0.3
xdotool key space
# The window grows to show the code once the server is up: measure it each time.
window_shot() { geometry "$remote" && shot "$GX" "$GY" "$GW" "$GH"; }
address=""
for _ in $(seq 1 50); do
    address=$(zbarimg -q --raw "$(window_shot)" 2> /dev/null | head -n 1 || true)
    [ -n "$address" ] && break
    sleep 0.1
done
[[ $address =~ ^http://[0-9.]+:$port/\?k=[0-9a-f]{32}$ ]] || fail "the QR code reads '$address'"
# The address as the window shows it, read off the screen: the reader is sure
# of hex digits alone, so the line's digits must end with the QR code's key.
key=${address##*k=}
geometry "$remote"
line=$(shot $((GX + 130)) $((GY + 60)) $((GW - 130)) 30)
# Each tesseract release misreads a different digit now and then (a 1 between
# letters): several scalings and filters, the first reading that agrees counts.
shown=""
for attempt in "300% -threshold 60%" "300% -blur 0x0" "200% -blur 0x0" "400% -threshold 50%" \
    "200% -sharpen 0x1" "400% -threshold 70%"; do
    # shellcheck disable=SC2086
    convert "$line" -resize ${attempt%% *} -colorspace Gray ${attempt#* } "$WORK/line.png"
    shown=$(tesseract "$WORK/line.png" - --psm 7 -c tessedit_char_whitelist=0123456789abcdef \
        2> /dev/null | tr -d ' \n' || true)
    [[ $shown == *"$key" ]] && break
done
[[ $shown == *"$key" ]] || fail "the window shows '$shown', the QR code reads '$address'"

profile="$WORK/chromium"
mkdir -p "$profile"
python3 "$E2E_DIR/cdp.py" "$profile" "$address" wait-text connection Connected \
    press Faster wait-text speed "Speed 10" press Faster wait-text speed "Speed 20" \
    press Faster wait-text speed "Speed 30" || fail "the phone page did not take three Faster"
speed_becomes "$speed30" 5 || fail "the band does not read Speed 30 after three Faster"
python3 "$E2E_DIR/cdp.py" "$profile" "$address" wait-text connection Connected \
    press Pause wait-text speed "Paused..." || fail "the phone page did not take Pause"
speed_becomes "$paused" 5 || fail "the band does not read Paused... after Pause"

# Switched off, the address answers no more; the program goes on.
xdotool windowfocus --sync "$remote" 2> /dev/null || xdotool windowfocus "$remote"
xdotool key space
for _ in $(seq 1 50); do
    curl -s -o /dev/null --max-time 2 "$address" || break
    sleep 0.1
done
curl -s -o /dev/null --max-time 2 "$address" && fail "the server still answers after it was switched off"
alive
stop_program
