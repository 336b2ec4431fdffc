#!/usr/bin/env bash
# Times whole runs of `tesselane patchwork` on a 4000 x 3000 24-bit BMP against ImageMagick's
# plain BMP round trip (`convert in.bmp BMP3:out.bmp`, single-threaded) when it is installed,
# and reports the peak memory of each (GNU time's maximum resident set size).
# Usage: bench/whole_process.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-10}
tool="$build/tools/tesselane"
painter="$build/tools/tesselane_paint_sample"
[ -x "$tool" ] && [ -x "$painter" ] || { echo "build first: $tool not found" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$painter" "$work/in.bmp" 4000 3000
rgba_bytes=$((4000 * 3000 * 4))

# Median wall time in milliseconds of a command over $runs runs.
median_ms() {
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

peak_kb() {
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}

report() {
    local name=$1; shift
    local ms kb
    ms=$(median_ms "$@")
    kb=$(peak_kb "$@")
    printf '%-34s %6s ms   peak %7s KiB = %.2f x the RGBA picture\n' "$name" "$ms" "$kb" \
        "$(echo "$kb * 1024 / $rgba_bytes" | bc -l)"
}

report "tesselane patchwork" "$tool" patchwork "$work/in.bmp" "$work/out.bmp"
if [ -x /usr/bin/convert ]; then
    MAGICK_THREAD_LIMIT=1 report "convert in.bmp BMP3:out.bmp" \
        /usr/bin/convert "$work/in.bmp" "BMP3:$work/magick.bmp"
else
    echo "ImageMagick not installed (apt-get install imagemagick) - no comparison"
fi
