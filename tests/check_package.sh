#!/usr/bin/env bash
# Checks the .deb: computed dependencies, the maintainer, a stripped program,
# the manual page and the examples, the library with its header and the files
# that find it, and that the packed program converts the packed example exactly.
# With "with-web-page" third, also the web page, where `g91to90 --web` says it is.
set -euo pipefail
deb=$1
source_dir=$2
web_page=${3:-}

fail() { echo "package check: $*"; exit 1; }

info=$(dpkg-deb -I "$deb")
grep -q '^ Maintainer: g91to90 project <no-reply@g91to90.org>$' <<<"$info" || fail "maintainer"
grep -q '^ Depends: .*libc6 (>= ' <<<"$info" || fail "Depends not computed: $(grep Depends <<<"$info")"
grep -q '^ Depends: .*libstdc++6 (>= ' <<<"$info" || fail "Depends lacks libstdc++6"

contents=$(dpkg -c "$deb")
for path in ./usr/bin/g91to90 ./usr/share/man/man1/g91to90.1.gz \
    ./usr/share/doc/g91to90/examples/pocket.nc ./usr/share/doc/g91to90/examples/profile.answers \
    ./usr/share/doc/g91to90/README.md ./usr/share/doc/g91to90/copyright \
    ./usr/include/g91to90/g91to90.hpp ./usr/lib/.*libg91to90[.]a \
    ./usr/lib/.*cmake/g91to90/g91to90Config[.]cmake ./usr/lib/.*pkgconfig/g91to90[.]pc; do
    grep -q " $path\$" <<<"$contents" || fail "missing $path"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
if readelf -S "$work/usr/bin/g91to90" | grep -q '\.symtab'; then
    fail "the program is not stripped"
fi
"$work/usr/bin/g91to90" "$work/usr/share/doc/g91to90/examples/pocket.nc" "$work/pocket.nc"
cmp "$work/pocket.nc" "$source_dir/tests/golden/pocket.nc"
if [[ $web_page == with-web-page ]]; then
    grep -q " ./usr/share/g91to90/g91to90.html\$" <<<"$contents" || fail "missing the web page"
    [[ $("$work/usr/bin/g91to90" --web) == "$work/usr/share/g91to90/g91to90.html" ]] ||
        fail "--web names $("$work/usr/bin/g91to90" --web || true)"
fi
# The packed library keeps its public names: a program links against it.
nm -C "$(find "$work/usr/lib" -name libg91to90.a)" >"$work/names" 2>/dev/null
grep -q ' T g91to90::convert(' "$work/names" || fail "the library lost its names"
echo "package check: dependencies, maintainer, stripped program, manual page, examples and library${web_page:+, web page}"
