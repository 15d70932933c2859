#!/usr/bin/env bash
# Follow My Voice through a microphone: a sound server of the test's own with a pipe source as
# its only microphone, espeak-ng's speech written into it at the pace of speech. The status
# line reads "Following", and the band moves along with the speech: when it ends, the lines
# at the top of the page are the last ones spoken, not the first. Skips only where the sound
# server cannot start.
program=$1
source "$(dirname "$0")/../e2e/lib.sh"
VOICE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

SOUND="$WORK/sound"
mkdir -p "$SOUND"
SOUND_PID=""
voice_cleanup() {
    if [ -n "$SOUND_PID" ]; then
        kill "$SOUND_PID" 2> /dev/null || true
        wait "$SOUND_PID" 2> /dev/null || true
    fi
    e2e_cleanup
}
trap voice_cleanup EXIT

# The sound server, as a per-user server that never exits while idle (root runs it too).
HOME="$SOUND" XDG_RUNTIME_DIR="$SOUND" pulseaudio --system=false --exit-idle-time=-1 -n \
    --daemonize=no --use-pid-file=false --disallow-exit --log-target=stderr \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$SOUND/native" \
    > "$SOUND/server.log" 2>&1 &
SOUND_PID=$!
export PULSE_SERVER="unix:$SOUND/native"
for _ in $(seq 1 100); do
    pactl info > /dev/null 2>&1 && break
    kill -0 "$SOUND_PID" 2> /dev/null || break
    sleep 0.1
done
if ! pactl info > /dev/null 2>&1; then
    echo "SKIP: the sound server cannot start:" >&2
    tail -n 5 "$SOUND/server.log" >&2
    exit 77
fi
pactl load-module module-pipe-source source_name=mic file="$SOUND/mic" format=s16le rate=16000 \
    channels=1 > /dev/null || fail "the pipe source cannot be loaded"
pactl set-default-source mic || fail "the pipe source cannot be the default"

script="$WORK/news.txt"
write_script "$script" \
    "The morning news begins with the weather report." \
    "Heavy rain will fall across the northern hills." \
    "Farmers expect a good harvest later this year." \
    "The city council met to discuss new roads." \
    "A local team won the football match last night." \
    "Doctors advise people to drink more water in summer." \
    "That is all the news for this evening."
espeak-ng -v en-us -s 165 -w "$WORK/speech.wav" -f "$script" || fail "espeak-ng cannot speak"
sox "$WORK/speech.wav" -r 16000 -c 1 -b 16 -e signed-integer -t raw "$WORK/speech.raw" ||
    fail "sox cannot convert the speech"

# ocr X Y W H [SCALE]: the words tesseract reads in the rectangle, on one line, lower case.
ocr() {
    local image
    image=$(shot "$1" "$2" "$3" "$4")
    python3 "$VOICE_DIR/ocrprep.py" "$image" "$image.ppm" "${5:-1}"
    tesseract "$image.ppm" - --psm 6 2> /dev/null | tr '\n' ' ' | tr '[:upper:]' '[:lower:]'
}

# The microphone delivers from the start, silence until the speech begins.
python3 "$VOICE_DIR/feedmic.py" "$SOUND/mic" "$WORK/speech.raw" 1 2 "$WORK/speak" "$WORK/spoken" &
feeder=$!
start_program "$script"
first=$(page_settle)

# Follow My Voice comes before Paste, Keys and Devices and the show's five
# items (Next Marker, Previous Marker, Go To, Target Time..., Show Options...).
menu Up Up Up Up Up Up Up Up Return
for _ in $(seq 1 100); do
    [ -n "$(pactl list short source-outputs)" ] && break
    sleep 0.1
done
[ -n "$(pactl list short source-outputs)" ] || fail "the program did not open the microphone"
[ "$(message_boxes)" -eq 0 ] || fail "following started with a message"
touch "$WORK/speak"
label=$(ocr 0 $((BAND_Y + 198)) 160 31 3)
case "$label" in *following*) ;; *) fail "the status line reads '$label', not Following" ;; esac
page_changed_from "$first" 20 > /dev/null || fail "the page did not move while the speech went on"
for _ in $(seq 1 1200); do
    [ -e "$WORK/spoken" ] && break
    kill -0 "$feeder" 2> /dev/null || fail "the speech could not be written into the microphone"
    sleep 0.1
done
[ -e "$WORK/spoken" ] || fail "the speech was not through in two minutes"
alive
read=$(ocr $PAGE_X "$BAND_Y" $PAGE_W $PAGE_H)
# What OCR reads proves it reads the page: the first line is not on it.
case "$read" in *"morning news"*) fail "the page stayed at the first line: $read" ;; esac
case "$read" in
*"evening"* | *"drink more water"*) ;;
*) fail "the page does not show the last lines spoken: $read" ;;
esac
label=$(ocr 0 $((BAND_Y + 198)) 160 31 3)
case "$label" in *following*) ;; *) fail "following stopped: the status line reads '$label'" ;; esac
# Closing while following ends the program cleanly.
stop_program
kill "$feeder"

echo "PASS"
