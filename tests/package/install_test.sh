#!/usr/bin/env bash
# Packages the Windows build, then under Wine installs it silently, checks the files,
# the Start-menu shortcut and the entry among installed programs, starts and closes the
# installed program, and uninstalls it: once keeping the settings, once with
# /REMOVESETTINGS. Usage: install_test.sh SOURCE_DIR WINDOWS_BUILD_DIR (DISPLAY and
# WINEPREFIX set).
set -uo pipefail
top=$1
build=$2
: "${WINEPREFIX:?needs the Wine prefix that scripts/test sets up}" "${DISPLAY:?needs a display}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d" # nothing onto the host's menus
failures=0
check() { # check WHAT COMMAND...
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
win() { wine "$@" 2>/dev/null | tr -d '\r'; }
reg_has() { wine reg query "$@" >/dev/null 2>&1; }
gone_within() { # the uninstaller works on after its first process ends
    for _ in $(seq 1 $(($1 * 10))); do [ -e "$2" ] || return 0; sleep 0.1; done
    return 1
}

dist=$(mktemp -d /tmp/tavren-package-test.XXXXXX)
trap 'rm -rf "$dist"' EXIT
TAVREN_BUILD_DIR=$(dirname "$build") "$top/scripts/package" --skip-build --out "$dist" >"$dist/log" 2>&1 ||
    { cat "$dist/log"; echo "FAILED: scripts/package"; exit 1; }
version=$(sed -nE 's/^#define TAVREN_VERSION_TEXT "([^"]+)".*/\1/p' "$top/app/Version.h")
setup="$dist/tavren-$version-setup.exe"
expected="LICENSE-RtMidi.txt LICENSE-pugixml.txt LICENSE.txt README.md tavren.exe"
check "the zip holds the program, the README and three licence texts" \
    test "$(python3 -c 'import sys, zipfile; print(" ".join(sorted(n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$dist/tavren-$version-portable.zip")" = "$expected"
check "the installer carries version $version" sh -c "strings -el '$setup' | grep -qx '$version'"

settings='HKCU\Software\Quillmer\Tavren'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavren'
dir=$(win winepath -u "$(win cmd /c echo %LOCALAPPDATA%)\\Programs\\Tavren")
shortcut=$(win winepath -u "$(win cmd /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs\\Tavren.lnk")
[ -n "$dir" ] && [ -n "$shortcut" ] || { echo "FAILED: Wine named no folder for the program or its shortcut"; exit 1; }
for round in keep remove; do
    check "the installer runs silently ($round)" wine "$setup" /S
    check "the program's files are installed" test "$(ls "$dir" | tr '\n' ' ')" = "$expected uninstall.exe "
    check "the Start-menu shortcut starts the installed program" \
        sh -c "strings -el '$shortcut' | grep -q 'Programs.Tavren.tavren.exe\$'"
    check "the list of installed programs names version $version" \
        sh -c "wine reg query '$uninstall_key' /v DisplayVersion 2>/dev/null | grep -q 'REG_SZ *$version'"
    if [ "$round" = keep ]; then
        wine reg delete "$settings" /f >/dev/null 2>&1
        wine "$dir/tavren.exe" >/dev/null 2>&1 &
        check "the installed program shows its window" wine "$build/tools/window-ctl/window-ctl.exe" wait 30
        check "and closes as a user closes it" wine "$build/tools/window-ctl/window-ctl.exe" close 30
        wait $!
        check "it saved its settings" reg_has "$settings" /v InitW
        wine "$dir/uninstall.exe" /S
    else
        wine "$dir/uninstall.exe" /S /REMOVESETTINGS
    fi
    check "the uninstaller removes the program's folder" gone_within 60 "$dir"
    if [ -e "$dir" ]; then
        # The uninstaller gives up while a Tavren window is open: say whether one is.
        echo "  a Tavren window at $(win "$build/tools/window-ctl/window-ctl.exe" rect || echo "none")"
        ps -eo pid,etimes,args | grep -i '[.]exe' | sed 's/^/  /'
    fi
    check "and the Start-menu shortcut" test ! -e "$shortcut"
    check "and its entry in the list of installed programs" sh -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
    if [ "$round" = keep ]; then
        check "the user's settings stay" reg_has "$settings" /v InitW
    else
        check "/REMOVESETTINGS removes them" sh -c "! wine reg query '$settings' >/dev/null 2>&1"
    fi
done
echo "package tests: $failures failed"
[ "$failures" = 0 ]
