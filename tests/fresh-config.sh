#!/usr/bin/env bash
# Runs a command with empty configuration and data homes of its own, removed
# afterwards, so that no run sees another's settings and none touches the operator's.
set -euo pipefail
XDG_CONFIG_HOME=$(mktemp -d "${TMPDIR:-/tmp}/tavrix-config.XXXXXX")
XDG_DATA_HOME=$XDG_CONFIG_HOME/data
export XDG_CONFIG_HOME XDG_DATA_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
status=0
"$@" || status=$?
exit $status
