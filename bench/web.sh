#!/usr/bin/env bash
# The web page against the program on a ~100 MiB generated CAM program: the
# page's time from Convert to the end in headless Chromium, its peak JS heap
# and the browser's peak resident memory, beside the program's time and peak
# resident memory. Needs the web build (cmake --workflow --preset web).
# Usage: bench/web.sh [RUNS] [WORK_FOLDER]
set -euo pipefail
runs=${1:-3}
work=${2:-$(mktemp -d)}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/bench
page=$top/build/web/g91to90.html
modules=$top/build/web/web/node_modules
[[ -f $page && -d $modules ]] || { echo "build the page first: cmake --workflow --preset web"; exit 1; }

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DG91TO90_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j 2 >/dev/null
mkdir -p "$work"
[[ -s $work/p100.nc ]] || "$build/bench/generate_program" 100 91 cam > "$work/p100.nc"
size=$(awk -v b="$(stat -c %s "$work/p100.nc")" 'BEGIN { printf "%.1f", b / 1048576 }')

echo "$size MiB CAM program, $runs runs each"
for ((i = 1; i <= runs; i++)); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$build/g91to90" "$work/p100.nc" "$work/out.nc" >/dev/null
    read -r seconds peak_kb < "$work/time"
    printf 'program  %6.2f s  peak resident %6.1f MiB\n' "$seconds" \
        "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')"
    # With --check too: the report the page also makes, following every move.
    /usr/bin/time -f '%e' -o "$work/time" "$build/g91to90" --check "$work/p100.nc" >/dev/null
    printf 'checked  %6.2f s\n' "$(cat "$work/time")"
    printf 'page     '
    NODE_PATH=$modules node "$top/bench/web_page.js" "$page" "$work/p100.nc"
done
