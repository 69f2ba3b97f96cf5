#!/usr/bin/env bash
# The library as an outside project uses it: installed from this build, found
# by CMake's find_package and by pkg-config, the example built against it and
# giving the program's bytes; then built shared, with its SONAME and no names
# but the public ones.
#   check_library.sh SOURCE_DIR BUILD_DIR CMAKE CXX
set -euo pipefail
source_dir=$1 build_dir=$2 cmake=$3 cxx=$4
scratch=$(mktemp -d "${TMPDIR:-/tmp}/g91to90-library.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# The README shows the examples whole, as they are built and run here.
for example in convert_file.cpp convert_file.py; do
    python3 -c 'import sys; sys.exit(open(sys.argv[1]).read() not in open(sys.argv[2]).read())' \
        "$source_dir/examples/library/$example" "$source_dir/README.md" ||
        { echo "README.md does not show examples/library/$example as it is"; exit 1; }
done

printf 'G21 G91 G1 X10 F100\nY5.5\nX-2.25 Y0\nM30\n' >"$scratch/in.nc"
"$build_dir/g91to90" --start "X0 Y0 Z50" --integers units "$scratch/in.nc" "$scratch/expected.nc" \
    >/dev/null

# Builds the example against the library installed in $1 and checks its output.
check_example() {
    local prefix=$1 name=$2
    "$cmake" -S "$source_dir/examples/library" -B "$scratch/$name" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_CXX_COMPILER="$cxx" >"$scratch/$name.log" 2>&1 || { cat "$scratch/$name.log"; exit 1; }
    "$cmake" --build "$scratch/$name" >>"$scratch/$name.log" 2>&1 || { cat "$scratch/$name.log"; exit 1; }
    LD_LIBRARY_PATH="$prefix/lib" "$scratch/$name/convert_file" "$scratch/in.nc" "$scratch/$name.nc"
    cmp "$scratch/expected.nc" "$scratch/$name.nc"
}

# The static library, as this build made it.
"$cmake" --install "$build_dir" --prefix "$scratch/static" >/dev/null
check_example "$scratch/static" static
# The same with pkg-config.
pc_path=$(dirname "$(find "$scratch/static" -name g91to90.pc)")
# shellcheck disable=SC2046
"$cxx" -std=c++20 "$source_dir/examples/library/convert_file.cpp" -o "$scratch/with_pkg_config" \
    $(PKG_CONFIG_PATH="$pc_path" pkg-config --cflags --libs --static g91to90)
"$scratch/with_pkg_config" "$scratch/in.nc" "$scratch/pkg_config.nc"
cmp "$scratch/expected.nc" "$scratch/pkg_config.nc"

# The shared library.
"$cmake" -S "$source_dir" -B "$scratch/shared-build" -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE=OFF \
    -DCMAKE_CXX_COMPILER="$cxx" >"$scratch/shared.log" 2>&1 || { cat "$scratch/shared.log"; exit 1; }
"$cmake" --build "$scratch/shared-build" -j2 >>"$scratch/shared.log" 2>&1 || { cat "$scratch/shared.log"; exit 1; }
"$cmake" --install "$scratch/shared-build" --prefix "$scratch/shared" >/dev/null
library=$(find "$scratch/shared" -name 'libg91to90.so.*.*')
readelf -d "$library" | grep -q 'SONAME.*\[libg91to90\.so\.1\]' || { echo "no SONAME libg91to90.so.1"; exit 1; }
# Every name of the project that leaves the library is a public one.
public='g91to90::(convert|converter::|stop_message|stop_status|reason_name|report_text|version|options_stop|holds_incremental_moves)'
leaked=$(nm -DC --defined-only "$library" | grep 'g91to90::' | grep -Ev " (typeinfo|vtable)? ?(for )?$public" || true)
if [[ -n $leaked ]]; then
    echo "private names leave the shared library:"; echo "$leaked" | head -20; exit 1
fi
check_example "$scratch/shared" shared
echo "library: installed, found and used, static and shared"
