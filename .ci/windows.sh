#!/usr/bin/env bash
# The Windows module: cross-builds tesselane.dll and our host program with mingw-w64, runs the
# host under Wine and checks the result against the Linux build's output, byte for byte.
#
# Wine's ANSI code page here is 1252 (Western European; Wine picks it from the Unix locale, and
# C, C.UTF-8 and en_US.UTF-8 all give 1252), so the non-ASCII file names use characters of that
# code page, including one (the euro sign) that Latin-1 lacks.
set -euo pipefail
cd "$(dirname "$0")/.."

section() { printf '\n==== %s ====\n' "$*"; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

build=${TESSELANE_WINDOWS_BUILD_DIR:-build-win}

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
if [ ${#need[@]} -gt 0 ]; then
    section "installing ${need[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

section "cross-building tesselane.dll and the host with mingw-w64"
cmake -S . -B "$build/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/mingw-w64.cmake" \
    -DTESSELANE_BUILD_TESTS=OFF -DTESSELANE_BUILD_TOOL=OFF -DTESSELANE_INSTALL=OFF \
    -DTESSELANE_WARNINGS_AS_ERRORS=ON
cmake --build "$build/windows" -j2 --target tesselane tesselane_host
dll="$PWD/$build/windows/tesselane/entry/tesselane.dll"
host="$PWD/$build/windows/tesselane/entry/tesselane_host.exe"

section "the DLL exports Tesselane alone; both need system DLLs only"
exports=$(x86_64-w64-mingw32-objdump -p "$dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s*\[ *[0-9]+\]' |
    awk '{print $NF}')
[ "$exports" = "Tesselane" ] || fail "exports are: $exports"
imports=$(x86_64-w64-mingw32-objdump -p "$dll" "$host" | awk '/DLL Name:/ {print $3}' |
    sort -u | tr '\n' ' ')
# Only system DLLs: no libgcc, libstdc++, libssp or winpthread DLL has to travel along.
if grep -qiE '(^| )lib' <<<"$imports"; then fail "imports are: $imports"; fi
echo "exports: $exports; imports: $imports"

section "building the Linux tool for the reference output"
cmake -S . -B "$build/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTESSELANE_BUILD_TESTS=OFF -DTESSELANE_BUILD_MODULE=OFF -DTESSELANE_INSTALL=OFF
cmake --build "$build/linux" -j2 --target tesselane_tool

work=$(mktemp -d)
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    LC_ALL=C.UTF-8 DISPLAY=
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/linux/tools/tesselane" patchwork samples/sample.bmp "$work/expected.bmp"

section "Wine prefix"
wineboot -i >/dev/null 2>&1 || true
cat >"$work/acp.c" <<'C'
#include <stdio.h>
#include <windows.h>
int main(void) { printf("%u", GetACP()); return 0; }
C
x86_64-w64-mingw32-gcc -static "$work/acp.c" -o "$work/acp.exe"
acp=$(wine "$work/acp.exe")
echo "ANSI code page under Wine: $acp"
[ "$acp" = 1252 ] || fail "the non-ASCII names below assume code page 1252, Wine has $acp"

# Runs the host under Wine in $work; its standard output goes to $work/stdout, with the
# carriage returns of Windows line ends taken out.
run_host() {
    local status=0
    (cd "$work" && wine "$host" "$@" >stdout.raw 2>stderr) || status=$?
    tr -d '\r' <"$work/stdout.raw" >"$work/stdout"
    echo "$status"
}

section "the sample picture"
status=$(run_host "$PWD/samples/sample.bmp" out.bmp)
[ "$status" = 0 ] || fail "host exited with $status: $(cat "$work/stdout" "$work/stderr")"
grep -qx "Tesselane returned 999" "$work/stdout" || fail "result: $(cat "$work/stdout")"
cmp "$work/out.bmp" "$work/expected.bmp" || fail "output differs from the Linux build's"
echo "999, output identical to Linux"

section "non-ASCII file names (code page 1252)"
name="Échantillon € à côté ÿ"
cp samples/sample.bmp "$work/$name.bmp"
status=$(run_host "$name.bmp" "$name résultat.bmp")
[ "$status" = 0 ] || fail "host exited with $status: $(cat "$work/stdout" "$work/stderr")"
grep -qx "Tesselane returned 999" "$work/stdout" || fail "result: $(cat "$work/stdout")"
cmp "$work/$name résultat.bmp" "$work/expected.bmp" || fail "output differs from the Linux build's"
echo "999, output identical to Linux"
cp samples/sample.bmp "$work/$name.bmp"
status=$(run_host "$name.bmp" "$name.bmp")
[ "$status" = 0 ] || fail "host exited with $status: $(cat "$work/stdout" "$work/stderr")"
cmp "$work/$name.bmp" "$work/expected.bmp" || fail "the file was not replaced by its patchwork"
for left in "$work"/.tesselane*; do [ ! -e "$left" ] || fail "temporary file left: $left"; done
echo "the same name for input and output: replaced by its patchwork, no temporaries left"

section "an output directory that does not exist"
status=$(run_host "$PWD/samples/sample.bmp" 'no\such\dir\out.bmp')
[ "$status" = 0 ] || fail "host exited with $status"
grep -qx "Tesselane returned 999" "$work/stdout" || fail "result: $(cat "$work/stdout")"
[ ! -e "$work/no" ] || fail "something was created"
echo "999, nothing written"

# Windows ends the process with exit code -1 (0xFFFFFFFF); Wine hands Linux its low 8 bits.
section "missing inputs end the host with the message and exit code -1 (255 under Wine)"
expect_load_failure() {
    local path=$1 message=$2 status
    status=$(run_host "$path" out.bmp)
    [ "$status" = 255 ] || fail "$path: exit status $status, expected 255"
    printf '%s' "$message" | cmp -s - "$work/stdout" ||
        fail "$path: printed '$(cat "$work/stdout")'"
    echo "$path: exit status 255, message as expected"
}
rm -f "$work/out.bmp"
expect_load_failure missing.bmp "Error loading image: missing.bmp"
# The message shows the narrow path, so é arrives as its code page 1252 byte.
expect_load_failure "manqué.bmp" "$(printf 'Error loading image: manqu\xe9.bmp')"
# Characters outside the code page become '?', which names no file.
cp samples/sample.bmp "$work/漢字.bmp"
expect_load_failure "漢字.bmp" "Error loading image: ??.bmp"
[ ! -e "$work/out.bmp" ] || fail "a failed load wrote a file"
# Seen from Windows itself, through cmd's ERRORLEVEL, the exit code is -1.
cp "$host" "$dll" "$work/"
errorlevel=$(cd "$work" &&
    { wine cmd /c 'tesselane_host.exe missing.bmp out.bmp >NUL & echo %ERRORLEVEL%' || true; } |
    tr -d '\r')
[ "$errorlevel" = -1 ] || fail "ERRORLEVEL is $errorlevel"
echo "cmd's ERRORLEVEL: $errorlevel"

section "Windows build green"
