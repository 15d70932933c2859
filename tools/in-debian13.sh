#!/usr/bin/env bash
# tools/in-debian13.sh [COMMAND [ARGS...]]
#
# Runs COMMAND (default: ./test, then the package round trip) in a copy of this
# checkout inside a fresh Debian 13 (trixie) root, as a new user on that release
# would: a minimal system with nothing but git added, everything else installed by
# the project's own commands. Needs root (or sudo) and a Debian host whose apt
# sources name a Debian archive; the archive is read from them at run time, or
# from TAVRIX_DEBIAN_MIRROR.
#
# Kept between runs, under ${TAVRIX_CACHE:-${XDG_CACHE_HOME:-~/.cache}/tavrix}/debian13:
#   base/    the minimal root as debootstrap made it (never used directly)
#   debs/    the packages downloaded by debootstrap and apt
#   ccache/  the compiler cache of the builds in the root
# Everything else (the working copy of base/, the mounts) is removed on exit,
# also when COMMAND fails or the script is interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
checkout=$PWD

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=TAVRIX_CACHE,TAVRIX_DEBIAN_MIRROR,TAVRIX_FUZZ_SECONDS,XDG_CACHE_HOME \
        "$checkout/tools/in-debian13.sh" "$@"
fi
[ $# -gt 0 ] || set -- bash -c './test && tools/package-roundtrip.sh build'

release=trixie
cache=${TAVRIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix}/debian13
base=$cache/base
say() { echo "in-debian13: $*"; }
fail() {
    say "$*" >&2
    exit 1
}

# The Debian archive the host installs its own release from: the first "deb" source,
# one-line or deb822, that lists the host's codename as a suite.
host_mirror() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || return 1
    local files=()
    [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
    local f
    for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && files+=("$f")
    done
    [ ${#files[@]} -gt 0 ] || return 1
    awk -v codename="$codename" '
        function has(list, word,   n, i, parts) {
            n = split(list, parts, /[ \t]+/)
            for (i = 1; i <= n; i++) if (parts[i] == word) return 1
            return 0
        }
        function stanza_end() {
            if (found) return
            if (types != "" && has(types, "deb") && has(suites, codename) && tolower(enabled) != "no") {
                split(uris, u, /[ \t]+/); print u[1]; found = 1; exit
            }
            types = ""; uris = ""; suites = ""; enabled = ""
        }
        FNR == 1 { stanza_end() }
        FILENAME ~ /\.sources$/ {
            if ($0 ~ /^[ \t]*$/) { stanza_end(); next }
            if ($0 ~ /^#/) next
            line = $0; sub(/^[^:]*:[ \t]*/, "", line); sub(/[ \t]+$/, "", line)
            if ($0 ~ /^Types:/) types = line
            else if ($0 ~ /^URIs:/) uris = line
            else if ($0 ~ /^Suites:/) suites = line
            else if ($0 ~ /^Enabled:/) enabled = line
            next
        }
        $1 == "deb" {
            line = $0; sub(/^deb[ \t]+/, "", line); sub(/^\[[^]]*\][ \t]*/, "", line)
            split(line, w, /[ \t]+/)
            if (w[2] == codename) { print w[1]; found = 1; exit }
        }
        END { stanza_end() }
    ' "${files[@]}" | sed 's|/*$||'
}

mirror=${TAVRIX_DEBIAN_MIRROR:-$(host_mirror || true)}
[ -n "$mirror" ] || fail "found no Debian archive in /etc/apt/sources.list{,.d}; set TAVRIX_DEBIAN_MIRROR to one"
case $mirror in http://* | https://*) ;; *) fail "the archive $mirror is neither http nor https" ;; esac

mkdir -p "$cache/debs/partial" "$cache/ccache"
# debootstrap mounts /proc and /sys in the root it makes; an interrupted one may leave them.
drop_partial_base() {
    [ -d "$base.new" ] || return 0
    awk -v r="$base.new" 'index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r \
        | while read -r m; do umount -l "$m"; done
    rm -rf --one-file-system "$base.new"
}
exec 9> "$cache/lock"

# The minimal root, made once: debootstrap into a temporary folder that is renamed
# only when complete, so an interrupted run never leaves a half-made root for the next.
if [ ! -d "$base" ]; then
    flock 9
    if [ ! -d "$base" ]; then
        command -v debootstrap > /dev/null || {
            say "installing debootstrap"
            DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap > /dev/null
        }
        drop_partial_base
        say "making a $release root from $mirror"
        include=git
        case $mirror in https://*) include=git,ca-certificates ;; esac
        debootstrap --variant=minbase --include="$include" --cache-dir="$cache/debs" \
            "$release" "$base.new" "$mirror" > "$cache/debootstrap.log" 2>&1 \
            || { tail -n 30 "$cache/debootstrap.log"; drop_partial_base; fail "debootstrap failed"; }
        # Package scripts must not start services in the root.
        printf '#!/bin/sh\nexit 101\n' > "$base.new/usr/sbin/policy-rc.d"
        chmod 755 "$base.new/usr/sbin/policy-rc.d"
        mv "$base.new" "$base"
    fi
    flock -u 9
fi

root=$(mktemp -d "$cache/root.XXXXXX")
mounts=()
bind() { # bind SOURCE TARGET-IN-ROOT [--rbind]
    mkdir -p "$root$2"
    mount "${3:---bind}" "$1" "$root$2"
    mounts+=("$root$2")
}
mounted_below() { awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo; }
cleanup() {
    local status=$?
    set +e
    # Processes left in the root (an X server, a gpg agent) would keep its mounts busy.
    local link pid
    for link in /proc/[0-9]*/root; do
        pid=${link#/proc/}
        pid=${pid%/root}
        [ "$(readlink "$link" 2> /dev/null)" = "$root" ] && kill -9 "$pid" 2> /dev/null
    done
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -R "${mounts[i]}" 2> /dev/null || umount -R -l "${mounts[i]}"
    done
    # Removing the root with anything still mounted in it would reach into the host.
    if [ -n "$(mounted_below)" ]; then
        say "left $root in place: still mounted there: $(mounted_below | tr '\n' ' ')" >&2
    else
        rm -rf --one-file-system "$root"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say "copying the root and the checkout"
cp -a "$base/." "$root/"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The checkout as git sees it (tracked and new files, nothing ignored), in a fresh
# repository so that git ls-files lists the same files there.
mkdir -p "$root/src/tavrix"
git ls-files -z -co --exclude-standard | tar --null -T - --ignore-failed-read -cf - 2> /dev/null \
    | tar -xf - -C "$root/src/tavrix"
git -C "$root/src/tavrix" init -q

mount -t proc proc "$root/proc" && mounts+=("$root/proc")
mount -t sysfs sysfs "$root/sys" && mounts+=("$root/sys")
bind /dev /dev --rbind
mount --make-rslave "$root/dev"
bind "$cache/debs" /var/cache/apt/archives
bind "$cache/ccache" /var/cache/ccache

say "running $* in $release"
# In the background so that a signal reaches the traps at once, not when the command ends;
# the explicit redirection keeps the terminal as its input.
set +e
chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    CCACHE_DIR=/var/cache/ccache ${TAVRIX_FUZZ_SECONDS:+TAVRIX_FUZZ_SECONDS=$TAVRIX_FUZZ_SECONDS} \
    /bin/bash -c 'cd /src/tavrix && exec "$@"' bash "$@" <&0 &
wait $!
status=$?
set -e
say "$* exited with $status in $release"
exit "$status"
