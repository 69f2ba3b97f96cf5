#!/usr/bin/env bash
# Runs the Linux and the Windows (under Wine) program on the same inputs and
# fails on any difference in output file, standard output or exit status.
set -euo pipefail
linux_program=$1
windows_program=$2
generator=$3
examples=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$generator" 5 > generated.nc
printf '%%\r\nG91 G00 X1\r\nG54 G91 X2\r\nM30\r\n%%\x1a' > crlf.nc
: > empty.nc
printf '%%\nG00 X1\nG91\n' > warning.nc

failures=0
compare() {  # name input answers [options...]
    local name=$1 input=$2 answers=$3 status
    shift 3
    for build in linux windows; do
        local program=$linux_program runner=()
        if [[ $build == windows ]]; then
            program=$windows_program
            runner=(wine)
        fi
        set +e
        printf '%s' "$answers" | "${runner[@]}" "$program" "$@" "$input" "$name.$build.out" \
            > "$name.$build.console"
        status=$?
        set -e
        echo "$status" > "$name.$build.status"
    done
    for part in out console status; do
        local linux_file=$name.linux.$part windows_file=$name.windows.$part
        if [[ ! -e $linux_file && ! -e $windows_file ]]; then
            continue  # neither build wrote it
        fi
        if ! cmp -s "$linux_file" "$windows_file"; then
            echo "DIFFERENT: $name ($part)"
            failures=$((failures + 1))
        fi
    done
}

runs=0
for example in "$examples"/*.nc; do
    answers=""
    [[ -f ${example%.nc}.answers ]] && answers=$(cat "${example%.nc}.answers")
    options=()
    [[ -f ${example%.nc}.options ]] && mapfile -t options < "${example%.nc}.options"
    compare "$(basename "$example" .nc)" "$example" "$answers" "${options[@]}"
    runs=$((runs + 1))
done
compare generated generated.nc ""
compare crlf crlf.nc "1.5 -2 1e2"
compare empty empty.nc ""
compare warning warning.nc ""
compare missing missing.nc ""
compare folder . ""
runs=$((runs + 6))

echo "compared $runs runs, $failures differences"
((failures == 0))
