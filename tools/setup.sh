# Sourced by ./run and ./test: installs what is missing, then configures and builds.
# shellcheck shell=bash

TAVRIX_PACKAGES=(
    cmake ninja-build ccache g++ clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libgl-dev
    fonts-liberation fonts-dejavu-core
    xvfb xauth xdotool x11-utils python3 poppler-utils openbox
    appstream desktop-file-utils librsvg2-bin dpkg-dev file qt6-wayland weston
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils tesseract-ocr imagemagick
)

tavrix_install_packages() {
    local missing=()
    local pkg
    for pkg in "${TAVRIX_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
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
