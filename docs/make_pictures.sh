#!/usr/bin/env bash
# Regenerates docs/images/*.png from docs/pictures.txt: each line's operations applied to the
# sample picture by the tool. Usage: docs/make_pictures.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool="$build/tools/tesselane"
[ -x "$tool" ] || { echo "build the tool first: $tool not found" >&2; exit 1; }
mkdir -p docs/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 docs/bmp_to_png.py samples/sample.bmp docs/images/sample.png
while IFS='|' read -r name operations; do
    case "$name" in ''|'#'*) continue ;; esac
    # shellcheck disable=SC2086  # the operations are words of the command line
    "$tool" --seed 1 $operations samples/sample.bmp "$work/$name.bmp"
    python3 docs/bmp_to_png.py "$work/$name.bmp" "docs/images/$name.png"
    echo "docs/images/$name.png: $operations"
done < docs/pictures.txt
