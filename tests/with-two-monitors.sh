#!/usr/bin/env bash
# Runs a command against an X server with two 1920x1080 monitors side by side,
# DUMMY0 (primary, at 0,0) and DUMMY1 (at 1920,0): Xorg with the dummy driver,
# since Xvfb cannot show a program two screens. Xorg needs root; where it
# cannot start at all the run is skipped (exit 77) with the reason.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: with-two-monitors.sh COMMAND [ARGS...]" >&2; exit 2; }
skip() { echo "SKIP: $*" >&2; exit 77; }
command -v Xorg > /dev/null || skip "Xorg is not installed (xserver-xorg-core)"
[ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || skip "the dummy driver is not installed (xserver-xorg-video-dummy)"
work=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2> /dev/null && wait "$server" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cat > "$work/xorg.conf" << 'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3840 1080
    EndSubSection
EndSection
CONF
# Xorg picks a free display itself (-displayfd): X servers in other roots may
# hold a number through an abstract socket that leaves no file here.
mkfifo "$work/display"
Xorg -displayfd 3 -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
    3> "$work/display" > "$work/server.out" 2>&1 &
server=$!
display=""
if ! read -r -t 30 display < "$work/display" || [ -z "$display" ]; then
    tail -n 5 "$work/server.out" "$work/xorg.log" >&2 || true
    skip "Xorg with the dummy driver did not start"
fi
export DISPLAY=":$display"
for _ in $(seq 1 100); do
    xdpyinfo > /dev/null 2>&1 && break
    kill -0 "$server" 2> /dev/null || break
    sleep 0.1
done
if ! xdpyinfo > /dev/null 2>&1; then
    tail -n 5 "$work/server.out" "$work/xorg.log" >&2 || true
    skip "Xorg with the dummy driver did not start"
fi
mode=1920x1080_60
xrandr --newmode "$mode" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
xrandr --addmode DUMMY0 "$mode"
xrandr --addmode DUMMY1 "$mode"
xrandr --output DUMMY0 --mode "$mode" --pos 0x0 --primary --output DUMMY1 --mode "$mode" --pos 1920x0
xrandr --listmonitors | grep -q DUMMY1 || { echo "the second monitor did not come up" >&2; exit 1; }
status=0
"$@" || status=$?
exit $status
