# Shared steps of scripts/build, scripts/test and scripts/run. Sourced, not run.
# Everything here works as root on a fresh Debian 12 machine and is safe to repeat.

set -euo pipefail
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="${TAVREN_BUILD_DIR:-$TOP/build}"
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    wine wine64 fonts-wine
    xvfb xauth x11-utils xdotool imagemagick
    fonts-liberation fonts-urw-base35 fonts-dejavu-core
    cmake ninja-build googletest
    clang-14 libclang-rt-14-dev clang-format-14 git
    librtmidi-dev libpugixml-dev pkg-config
    python3 python3-cairo python3-pil
    dpkg-dev tcl make sqlite3
    nsis zip
)

log() { printf '==> %s\n' "$*" >&2; }

apt_updated=0
apt_update_once() {
    if [ "$apt_updated" = 0 ]; then
        apt-get update -qq
        apt_updated=1
    fi
}

# Installs whatever of PACKAGES is missing.
ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        apt_update_once
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# RtMidi, pugixml and SQLite come from Debian's source packages; they are unpacked
# into .deps/ (ignored by git) and compiled by CMake. SQLite's package holds its source
# tree, from which its single-file amalgamation is made (with tclsh).
fetch_deps() {
    local deps="$TOP/.deps"
    if [ ! -f "$deps/rtmidi/RtMidi.cpp" ] || [ ! -f "$deps/pugixml/src/pugixml.cpp" ]; then
        fetch_source_packages rtmidi pugixml
    fi
    if [ ! -f "$deps/sqlite/sqlite3.c" ] || [ ! -f "$deps/sqlite/sqlite3.h" ]; then
        fetch_source_packages sqlite3
        make_sqlite_amalgamation
    fi
}

# Downloads the named Debian source packages and unpacks each into .deps/NAME.
fetch_source_packages() {
    local deps="$TOP/.deps"
    if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        log "adding deb-src entries derived from the system's deb entries"
        local src=/etc/apt/sources.list.d/debian.sources
        [ -f "$src" ] || { echo "no $src to derive source entries from" >&2; exit 1; }
        sed -e 's/^Types:.*/Types: deb-src/' "$src" > /etc/apt/sources.list.d/tavren-deb-src.sources
        apt_updated=0
    fi
    apt_update_once
    rm -rf "$deps/download" && mkdir -p "$deps/download"
    (cd "$deps/download" && apt-get source --download-only "$@" >/dev/null 2>&1) \
        || { echo "apt-get source $* failed" >&2; exit 1; }
    for name in "$@"; do
        local tarball
        tarball=$(ls "$deps/download/${name}"_*.orig.tar.* | head -n 1)
        rm -rf "$deps/$name" && mkdir -p "$deps/$name"
        tar -xf "$tarball" -C "$deps/$name" --strip-components=1
    done
    rm -rf "$deps/download"
    log "dependency sources in $deps"
}

# Makes sqlite3.c and sqlite3.h from SQLite's source tree in .deps/sqlite3 and keeps
# only those two in .deps/sqlite.
make_sqlite_amalgamation() {
    local deps="$TOP/.deps"
    log "making SQLite's amalgamation"
    rm -rf "$deps/sqlite-build" && mkdir -p "$deps/sqlite-build"
    (cd "$deps/sqlite-build" && CC=clang-14 "$deps/sqlite3/configure" --disable-tcl >/dev/null &&
        make sqlite3.c >/dev/null 2>&1) \
        || { echo "making sqlite3.c failed (see $deps/sqlite-build)" >&2; exit 1; }
    rm -rf "$deps/sqlite" && mkdir -p "$deps/sqlite"
    cp "$deps/sqlite-build/sqlite3.c" "$deps/sqlite-build/sqlite3.h" "$deps/sqlite/"
    rm -rf "$deps/sqlite-build" "$deps/sqlite3"
}

# Builds the native tree, the artwork and the Windows tree. With target names it
# builds only those Windows targets, and natively only what the artwork needs.
build_all() {
    ensure_packages
    fetch_deps
    local native=() windows=()
    if [ $# -gt 0 ]; then
        native=(--target layout-export)
        windows=(--target "$@")
    fi
    log "native build (clang, sanitizers)"
    cmake -S "$TOP" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
    cmake --build "$BUILD/native" "${native[@]}"
    log "artwork"
    /usr/bin/python3 "$TOP/tools/artgen/generate.py" --layout-tool "$BUILD/native/tools/layout-export/layout-export" \
        --out "$BUILD/art"
    log "Windows build (mingw-w64)"
    cmake -S "$TOP" -B "$BUILD/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/mingw-w64.cmake" -DTAVREN_ART_DIR="$BUILD/art" >/dev/null
    cmake --build "$BUILD/windows" "${windows[@]}"
}

# Starts Xvfb on a free display number and exports DISPLAY. The caller's cleanup
# stops it (XVFB_PID).
XVFB_PID=""
start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

# Creates a throwaway Wine prefix, exports WINEPREFIX and keeps its Wine server running.
WINE_TMP=""
make_wineprefix() {
    WINE_TMP=$(mktemp -d /tmp/tavren-wine.XXXXXX)
    export WINEPREFIX="$WINE_TMP/prefix"
    export WINEDEBUG=-all
    # No Mono or Gecko prompts; no menu entries or icons written to the host's desktop
    # when a test installs a Start-menu shortcut.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    log "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Windows live in one Wine desktop window: hiding or destroying a top-level window
    # then needs no X window manager, which Xvfb does not have (without one, Wine waits
    # two seconds for every window it withdraws).
    local reg="$WINE_TMP/desktop.reg"
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="1920x1080"\n' >"$reg"
    wine regedit /S "$reg" >/dev/null 2>&1 || true
    wineserver -w
    # One Wine server from here to cleanup_session. Left to itself it exits three seconds
    # after its last program, and a wine command started just as it exits can fail
    # (a test that first packages for some seconds started its first wine command then).
    # Its background programs start with the first command and live as long as it does:
    # started here, they hold no test's output open, which ctest would wait for.
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

cleanup_session() {
    if [ -n "${WINEPREFIX:-}" ] && [ -n "$WINE_TMP" ]; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINE_TMP"
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" >/dev/null 2>&1 || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
