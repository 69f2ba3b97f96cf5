#!/usr/bin/env bash
# Unpacks the Windows .zip and converts the example it holds with the .exe it
# holds, under Wine; the result must be the example's golden file. With a web
# page given, the zip holds it beside the program and --web names it.
set -euo pipefail
zip=$1
source_dir=$2
web_page=${3:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cmake -E tar xf "$zip"
program=$(find . -name g91to90.exe)
folder=$(dirname "$program")
for file in README.md README.txt LICENSE CHANGELOG.md examples/pocket.nc examples/profile.answers; do
    [[ -f $folder/$file ]] || { echo "missing from the zip: $file"; exit 1; }
done
# Notepad shows a text without carriage returns on one line.
if grep -q $'[^\r]$' "$folder/README.txt"; then
    echo "README.txt has a line without CR LF"
    exit 1
fi
wine "$program" "$folder/examples/pocket.nc" pocket.nc
cmp pocket.nc "$source_dir/tests/golden/pocket.nc"
if [[ -n $web_page ]]; then
    cmp "$folder/g91to90.html" "$web_page"
    named=$(wine "$program" --web | tr -d '\r')
    [[ $named == *g91to90.html ]] || { echo "--web does not name the page: $named"; exit 1; }
fi
echo "the zip's g91to90.exe converts the example exactly"
