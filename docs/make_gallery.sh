#!/usr/bin/env bash
# Regenerates the gallery: every line of docs/gallery.txt applied to the sample picture by the
# tool, as docs/gallery/NAME.png, and docs/gallery.md showing each beside the sample with the
# command that made it. Usage: docs/make_gallery.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tool="$build/tools/tesselane"
[ -x "$tool" ] || { echo "build the tool first: $tool not found" >&2; exit 1; }
rm -rf docs/gallery
mkdir -p docs/gallery
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 docs/bmp_to_png.py samples/sample.bmp docs/gallery/sample.png
{
    echo "# Gallery"
    echo
    echo "Every operation of the tool on the sample picture (\`samples/sample.bmp\`, painted by"
    echo "\`tools/paint_sample.cpp\`). Made by \`docs/make_gallery.sh\` from \`docs/gallery.txt\`."
    echo
    echo "| command | before | after |"
    echo "|---|---|---|"
} > docs/gallery.md
while IFS='|' read -r name operations; do
    case "$name" in ''|'#'*) continue ;; esac
    # shellcheck disable=SC2086  # the operations are words of the command line
    "$tool" --seed 1 $operations samples/sample.bmp "$work/$name.bmp"
    python3 docs/bmp_to_png.py "$work/$name.bmp" "docs/gallery/$name.png"
    echo "| \`tesselane --seed 1 $operations in.bmp out.bmp\` | ![sample](gallery/sample.png) | ![$name](gallery/$name.png) |" >> docs/gallery.md
    echo "docs/gallery/$name.png: $operations"
done < docs/gallery.txt
