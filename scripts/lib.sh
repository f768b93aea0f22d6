# Shared steps of the scripts: packages, the cross build, a disposable Wine prefix and a virtual display.
# Sourced, not run.

NUBLARO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NUBLARO_BUILD=${NUBLARO_BUILD:-$NUBLARO_ROOT/build}
NUBLARO_PACKAGES=(cmake make mingw-w64 wine wine64 xvfb xdotool imagemagick googletest)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs, with apt-get, whichever of the given Debian packages are missing.
install_missing_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_nublaro() {
    cmake -S "$NUBLARO_ROOT" -B "$NUBLARO_BUILD" \
        -DCMAKE_TOOLCHAIN_FILE="$NUBLARO_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel "$@" >/dev/null
    cmake --build "$NUBLARO_BUILD" -j "$(nproc)"
}

# A fresh prefix stands in for a Windows machine: its adapters' DNS settings live in its own registry.
# Wine's services are started here, outside any test runner, so that none of them inherits a pipe
# that a runner waits on.
start_disposable_prefix() {
    WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/nublaro-wine.XXXXXX")
    export WINEPREFIX
    export WINEDEBUG=-all
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot -i </dev/null >/dev/null 2>&1
    # A program that crashes ends at once, instead of waiting in Wine's crash dialog for ever.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    [ -n "${DISPLAY:-}" ] && start_wine_desktop
    return 0
}

# Wine's desktop process draws nothing of its own but must run before any window can be made. Its
# first start in a new prefix has been seen to fail, so it is started here and checked.
start_wine_desktop() {
    local tries
    for tries in 1 2 3 4 5 6 7 8 9 10; do
        wine_desktop_running && return 0
        wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
        sleep 0.5
    done
    echo "Wine's desktop did not start on $DISPLAY" >&2
    return 1
}

wine_desktop_running() {
    local pid
    for pid in $(pgrep -f 'explorer.exe /desktop'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}

# Wine's own netsh ignores its input; the stand-in built with the tests does what Windows' netsh does
# with Nublaro's script, on the prefix's registry.
install_netsh_standin() {
    cp "$NUBLARO_BUILD/bin/NetshStandIn.exe" "$WINEPREFIX/drive_c/windows/system32/netsh.exe"
    export WINEDLLOVERRIDES="netsh.exe=n${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
}

stop_disposable_prefix() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}

# Starts Xvfb on a free display number and exports DISPLAY for it.
start_virtual_display() {
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    NUBLARO_XVFB_PID=$!
    local tries=0
    while [ ! -s "$numberFile" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
    export DISPLAY=":$(cat "$numberFile")"
    rm -f "$numberFile"
}

stop_virtual_display() {
    [ -n "${NUBLARO_XVFB_PID:-}" ] && kill "$NUBLARO_XVFB_PID" 2>/dev/null
    return 0
}
