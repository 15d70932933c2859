# Sourced by ./run and ./test: installs what is missing, then configures and builds.
# shellcheck shell=bash

# What building and running the program need (./run).
TAVRIX_PACKAGES=(
    cmake ninja-build ccache g++
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libgl-dev qt6-wayland
    fonts-liberation fonts-dejavu-core librsvg2-bin
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev pkg-config libpocketsphinx-dev pocketsphinx-en-us
    qt6-multimedia-dev libespeak-ng-dev libzip-dev libmd4c-dev libxcb1-dev
)

# What the tests add (./test): the sanitizer compiler and formatter, X servers,
# a window manager and a compositor, screen and PDF readers, and the checkers
# of the desktop files and the package.
TAVRIX_TEST_PACKAGES=(
    clang clang-format
    xvfb xauth xdotool x11-utils python3 poppler-utils openbox weston
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    appstream desktop-file-utils dpkg-dev file
    zbar-tools espeak-ng sox chromium tesseract-ocr imagemagick
    pulseaudio pulseaudio-utils
)

# What differs by release: the sanitizer runtime belongs to the release's clang.
# Prints nothing and fails for a release it does not know.
tavrix_release_packages() { # [test]
    local codename rt
    codename=$(. /etc/os-release 2> /dev/null && echo "${VERSION_CODENAME:-}")
    case $codename in
    bookworm) rt=libclang-rt-14-dev ;;
    trixie) rt=libclang-rt-19-dev ;;
    *) return 1 ;;
    esac
    if [ "${1:-}" = test ]; then echo "$rt"; fi
}

# tavrix_install_packages [test]: installs what is missing of the run list,
# and with "test" of the test list too.
tavrix_install_packages() {
    local wanted=("${TAVRIX_PACKAGES[@]}")
    [ "${1:-}" = test ] && wanted+=("${TAVRIX_TEST_PACKAGES[@]}")
    local known=true release
    release=$(tavrix_release_packages "${1:-}") || known=false
    # One package name a line.
    # shellcheck disable=SC2206
    wanted+=($release)
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! $known; then
        # Names never tried on this release could install half of what is needed and
        # then fail the build: say what it takes instead, and install nothing.
        local name
        name=$(. /etc/os-release 2> /dev/null && echo "${PRETTY_NAME:-}")
        echo "tools/setup.sh knows the packages of Debian 12 (bookworm) and Debian 13 (trixie)," >&2
        echo "not those of ${name:-this system}, and installed nothing. Install these (or what" >&2
        echo "your system calls them), then run this again:" >&2
        echo "  ${missing[*]}" >&2
        if [ "${1:-}" = test ]; then
            echo "and the sanitizer runtime of the installed clang (on Debian libclang-rt-N-dev)." >&2
        fi
        return 1
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# tavrix_build DIR [cmake options...]
tavrix_build() {
    local dir=$1
    shift
    local launcher=()
    # Worktrees and repeated runs share compiled objects.
    command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
