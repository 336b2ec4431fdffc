#!/usr/bin/env bash
# 32-bit ARM: cross-builds the library, the tool and the whole test suite with Debian's armhf
# compiler (GoogleTest too, from the sources Debian ships) and runs the suite under qemu-user.
# ctest starts every test through the emulator; tests that start the tool run it through a
# script that does the same (see tests/CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."

section() { printf '\n==== %s ====\n' "$*"; }

build=${TESSELANE_ARMHF_BUILD_DIR:-build-arm}
toolchain="$PWD/cmake/toolchains/armhf.cmake"

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v arm-linux-gnueabihf-g++ >/dev/null || need+=(g++-arm-linux-gnueabihf)
command -v qemu-arm >/dev/null || need+=(qemu-user)
command -v nm >/dev/null || need+=(binutils)
[ -e /usr/src/googletest/CMakeLists.txt ] || need+=(libgtest-dev)
if [ ${#need[@]} -gt 0 ]; then
    section "installing ${need[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

section "GoogleTest for armhf"
gtest="$PWD/$build/googletest-install"
if [ ! -e "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest"
    cmake --build "$build/googletest" -j2
    cmake --install "$build/googletest" >/dev/null
fi
echo "in $gtest"

section "cross-building the library, the tool, the module and the tests"
cmake -S . -B "$build/main" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DGTest_DIR="$gtest/lib/cmake/GTest" \
    -DTESSELANE_WARNINGS_AS_ERRORS=ON -DTESSELANE_INSTALL=OFF
cmake --build "$build/main" -j2

section "what was built"
readelf -h "$build/main/tools/tesselane" | grep -E 'Class|Machine'
qemu-arm -L /usr/arm-linux-gnueabihf "$build/main/tools/tesselane" --version

section "the whole test suite under qemu-arm"
ctest --test-dir "$build/main" --output-on-failure -j2

section "armhf green"
