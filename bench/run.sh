#!/usr/bin/env bash
# Times g91to90 against `sed -e s/G91/G90/` and `cat` on generated programs,
# alternating the runs, and reports the median ratio to sed, MB/s and peak
# resident memory. Usage: bench/run.sh [PAIRS] [WORK_FOLDER]
set -euo pipefail
pairs=${1:-7}
work=${2:-$(mktemp -d)}
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/bench

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DG91TO90_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j 2 >/dev/null
program=$build/g91to90
generator=$build/bench/generate_program

mkdir -p "$work"
[[ -s $work/p100.nc ]] || "$generator" 100 91 cam > "$work/p100.nc"
[[ -s $work/p1000.nc ]] || "$generator" 1000 91 cam > "$work/p1000.nc"
[[ -s $work/l100.nc ]] || "$generator" 100 91 laser > "$work/l100.nc"
[[ -s $work/l1000.nc ]] || "$generator" 1000 91 laser > "$work/l1000.nc"
# One 50 MB motion line, absolute: every word is rewritten (an incremental
# line naming X twice stops, as controls differ on which word counts).
if [[ ! -s $work/line50-absolute.nc ]]; then
    { printf 'G92 X0 Y0 Z0\nG90 G01'; head -c 50000000 /dev/zero | tr '\0' 'Q' | sed 's/QQQQQQQQQQ/ X0.00125 /g'; printf '\nM30\n'; } > "$work/line50-absolute.nc"
fi

# "seconds peak_kb" of one run: measure OUT COMMAND... runs COMMAND with its
# standard output in OUT. The redirection is made inside the timed command, so
# that sed and cat pay for truncating their previous output as g91to90 does
# when it opens its own (a shell's `>` would do it before the clock starts).
# The files written before are first synced, so that no run pays for writing
# back what the one before it wrote.
measure() {
    sync
    /usr/bin/time -q -f '%e %M' -o "$work/time" \
        sh -c 'out=$1; shift; exec "$@" > "$out"' sh "$@" 2>/dev/null || true
    cat "$work/time"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

report() {  # file label [g91to90's options]
    local file=$1 label=$2 size_mb ratios=() converter_times=() sed_times=() cat_times=() peak=0
    size_mb=$(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.1f", b / 1048576 }')
    for ((i = 0; i < pairs; i++)); do
        read -r t_conv m_conv < <(measure "$work/stdout" "$program" "${@:3}" "$file" "$work/out.nc")
        read -r t_sed _ < <(measure "$work/sed.out" sed -e s/G91/G90/ "$file")
        read -r t_cat _ < <(measure "$work/cat.out" cat "$file")
        converter_times+=("$t_conv"); sed_times+=("$t_sed"); cat_times+=("$t_cat")
        ratios+=("$(awk -v a="$t_conv" -v b="$t_sed" 'BEGIN { printf "%.3f", a / b }')")
        ((m_conv > peak)) && peak=$m_conv
    done
    local tc ts tca ratio
    tc=$(printf '%s\n' "${converter_times[@]}" | median)
    ts=$(printf '%s\n' "${sed_times[@]}" | median)
    tca=$(printf '%s\n' "${cat_times[@]}" | median)
    ratio=$(printf '%s\n' "${ratios[@]}" | median)
    printf '%-22s %8s MiB  g91to90 %6.2f s (%6.1f MiB/s)  sed %6.2f s  cat %6.2f s  ratio to sed %5.2f  peak %6.2f MiB\n' \
        "$label" "$size_mb" "$tc" "$(awk -v s="$size_mb" -v t="$tc" 'BEGIN { print s / t }')" \
        "$ts" "$tca" "$ratio" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
}

echo "pairs per file: $pairs (g91to90, sed, cat alternating); medians"
report "$work/p100.nc" "100 MB CAM program"
report "$work/p1000.nc" "1 GB CAM program"
# The laser programs mix numbers with and without a point: read as units.
report "$work/l100.nc" "100 MB laser program" --integers units
report "$work/l1000.nc" "1 GB laser program" --integers units
read -r t_line m_line < <(measure "$work/stdout" "$program" "$work/line50-absolute.nc" "$work/out.nc")
printf '%-22s %8s MiB  g91to90 %6.2f s  peak %6.2f MiB\n' "one 50 MB line" \
    "$(awk -v b="$(stat -c %s "$work/line50-absolute.nc")" 'BEGIN { printf "%.1f", b / 1048576 }')" \
    "$t_line" "$(awk -v k="$m_line" 'BEGIN { print k / 1024 }')"
