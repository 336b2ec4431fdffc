#!/usr/bin/env bash
# The module (through a plain C host) and the tool under valgrind's memcheck on the sample
# picture: no invalid access, no leak (memory the C runtime keeps to the end is not ours). Usage: .ci/valgrind.sh [BUILD_DIR]  (a Release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
command -v valgrind >/dev/null || { apt-get update -qq && apt-get install -y -qq valgrind; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
memcheck=(valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible
          --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes)
"${memcheck[@]}" "$build/tests/tesselane_module_host" "$build/tesselane/entry/libtesselane.so" \
    samples/sample.bmp "$work/module.bmp"
"${memcheck[@]}" "$build/tools/tesselane" patchwork samples/sample.bmp "$work/tool.bmp"
"${memcheck[@]}" "$build/tools/tesselane" patchwork --out-dir "$work/batch" -j 2 \
    samples/sample.bmp
cmp "$work/module.bmp" "$work/tool.bmp"
echo "valgrind: clean"
