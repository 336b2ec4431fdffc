#!/usr/bin/env bash
# Packaging: installs the project into a scratch prefix, checks what landed there, and builds
# the consumer project in examples/consumer three ways: against the installed copy through
# find_package, with the sources through add_subdirectory, and with a plain compiler line
# through pkg-config. Each consumer must write what the installed tool writes.
set -euo pipefail
cd "$(dirname "$0")/.."

section() { printf '\n==== %s ====\n' "$*"; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

build=${TESSELANE_PACKAGE_BUILD_DIR:-build-pkg}
root="$PWD"
prefix="$root/$build/prefix"

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
command -v pkg-config >/dev/null || need+=(pkgconf)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
    section "installing ${need[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

section "presets"
cmake --list-presets

section "build and install into $prefix"
rm -rf "$prefix"
cmake -S . -B "$build/project" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTESSELANE_BUILD_TESTS=OFF -DTESSELANE_WARNINGS_AS_ERRORS=ON
cmake --build "$build/project" -j2
cmake --install "$build/project" --prefix "$prefix"

section "what was installed"
(cd "$prefix" && find . -type f | sort | sed 's|^\./||' | grep -v '^include/tesselane/.*\.h$')
echo "and $(find "$prefix/include" -name '*.h' | wc -l) headers"
for file in include/tesselane/tesselane.h include/tesselane/entry/entry.h bin/tesselane; do
    [ -f "$prefix/$file" ] || fail "$file is missing"
done
for name in libtesselane_core.a libtesselane.so cmake/Tesselane/TesselaneConfig.cmake \
    cmake/Tesselane/TesselaneConfigVersion.cmake pkgconfig/tesselane.pc; do
    compgen -G "$prefix/lib*/$name" >/dev/null || compgen -G "$prefix/lib/*/$name" >/dev/null ||
        fail "$name is missing"
done
module=$(find "$prefix" -name libtesselane.so | head -n 1)
exports=$(nm -D --defined-only "$module" | awk '{print $NF}')
[ "$exports" = Tesselane ] || fail "the installed module exports: $exports"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$prefix/bin/tesselane" patchwork samples/sample.bmp "$work/expected.bmp"

# Runs a consumer on the sample and compares its output with the tool's.
check_consumer() {
    local program=$1 label=$2
    rm -f "$work/out.bmp"
    "$program" samples/sample.bmp "$work/out.bmp"
    cmp "$work/out.bmp" "$work/expected.bmp" || fail "$label: output differs from the tool's"
    echo "$label: output identical to the installed tool's"
}

section "consumer through find_package, against the installed copy"
cmake -S examples/consumer -B "$build/consumer-installed" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix"
cmake --build "$build/consumer-installed"
grep -q "Tesselane_DIR:PATH=$prefix/" "$build/consumer-installed/CMakeCache.txt" ||
    fail "find_package did not take the installed copy"
check_consumer "$build/consumer-installed/consumer" "find_package"

section "consumer through add_subdirectory of the sources"
cmake -S examples/consumer -B "$build/consumer-subdirectory" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DTESSELANE_SOURCE_TREE="$root"
cmake --build "$build/consumer-subdirectory" -j2
check_consumer "$build/consumer-subdirectory/consumer" "add_subdirectory"

section "consumer through pkg-config and a plain compiler line"
pcdir=$(dirname "$(find "$prefix" -name tesselane.pc | head -n 1)")
flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs tesselane)
echo "pkg-config --cflags --libs tesselane: $flags"
# shellcheck disable=SC2086  # the flags are words
g++ -std=c++17 -O2 examples/consumer/main.cpp $flags -o "$work/consumer-pkg-config"
check_consumer "$work/consumer-pkg-config" "pkg-config"

section "the installed module from Python"
python3 examples/python/patchwork.py samples/sample.bmp "$work/python.bmp" --module "$module"
cmp "$work/python.bmp" "$work/expected.bmp" || fail "python: output differs from the tool's"

section "packaging green"
