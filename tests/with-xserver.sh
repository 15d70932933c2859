#!/usr/bin/env bash
# Runs a command against an X server of its own (1920x1080x24). The server
# picks a free display itself (-displayfd), so nothing depends on lock files
# another X server on the machine may share; the command starts only once the
# server answers. Without a server the run fails with that reason.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: with-xserver.sh COMMAND [ARGS...]" >&2; exit 2; }
work=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3> "$work/display" \
    2> "$work/server.log" &
server=$!
display=""
if ! read -r -t 20 display < "$work/display" || [ -z "$display" ]; then
    echo "cannot start an X server for the test:" >&2
    cat "$work/server.log" >&2
    exit 1
fi
export DISPLAY=":$display"
for _ in $(seq 1 100); do
    xdpyinfo > /dev/null 2>&1 && break
    sleep 0.1
done
xdpyinfo > /dev/null 2>&1 || { echo "the X server on $DISPLAY does not answer" >&2; exit 1; }
status=0
"$@" || status=$?
exit $status
