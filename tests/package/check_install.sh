#!/usr/bin/env bash
# The installed engine and state layer, used from outside the tree.
#
#   check_install.sh BUILD_DIR REFERENCE [CXXFLAGS [LDFLAGS]]
#       installs BUILD_DIR into a temporary prefix (removed at the end) and
#       checks what it installed;
#   check_install.sh --installed PREFIX REFERENCE
#       uses what is installed under PREFIX (the Debian package: /usr).
#
# Then builds consumer.cpp against that prefix through find_package (shared
# and static libraries) and through pkg-config, with plain flags (none of the
# project's; CXXFLAGS and LDFLAGS only for a sanitizer build's own), and
# compares each one's lines with REFERENCE, the same source built in the tree:
# the same bits from the installed libraries.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "check_install.sh: $*" >&2
    exit 1
}

installed=
if [[ ${1:-} == --installed ]]; then
    installed=1
    shift
fi
[[ $# -ge 2 ]] || fail "usage: check_install.sh [--installed] BUILD_DIR|PREFIX REFERENCE [CXXFLAGS [LDFLAGS]]"
reference=$2
cxxflags=${3:-}
ldflags=${4:-}
unset CXXFLAGS CPPFLAGS LDFLAGS PKG_CONFIG_PATH

tmp=$(mktemp -d "${TMPDIR:-/tmp}/humitrax-package.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

if [[ -n $installed ]]; then
    prefix=$1
else
    prefix=$tmp/prefix
    cmake --install "$1" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
        { cat "$tmp/install.log"; fail "cmake --install $1 failed"; }
fi

# Where the libraries went: lib, lib64 or lib/<multiarch>.
pc=$(find "$prefix"/lib* -maxdepth 3 -name humitrax.pc -path '*/pkgconfig/*' -print -quit 2>/dev/null)
[[ -n $pc ]] || fail "no humitrax.pc under $prefix"
libdir=$(dirname "$(dirname "$pc")")

if [[ -z $installed ]]; then
    # Shared libraries named by the major version, static beside them.
    for name in engine state; do
        for file in libhumitrax_$name.so libhumitrax_$name.so.1 libhumitrax_$name.a; do
            [[ -e $libdir/$file ]] || fail "$libdir/$file is missing"
        done
        soname=$(readelf -d "$libdir/libhumitrax_$name.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
        [[ $soname == libhumitrax_$name.so.1 ]] || fail "libhumitrax_$name.so has SONAME '$soname'"
    done
    # Public headers only; the build's own targets stay out of the interface.
    for header in psychrometrics.h property_result.h checked.h constants.h state.h given.h plausibility.h relations.h; do
        [[ -f $prefix/include/humitrax/$header ]] || fail "include/humitrax/$header is missing"
    done
    for private in num.h units.h ashrae2017_system.h cells.h rules.h; do
        [[ ! -e $prefix/include/humitrax/$private ]] || fail "private header $private is installed"
    done
    if grep -n 'humitrax::\|strict_fp\|ffp-contract\|-W' "$libdir"/cmake/Humitrax/HumitraxTargets*.cmake; then
        fail "the exported targets carry the build's own flags or targets"
    fi
    grep -qx "prefix=$prefix" "$pc" || fail "humitrax.pc does not name the prefix $prefix"
    # Each installed header stands on its own.
    for header in "$prefix"/include/humitrax/*.h; do
        echo "#include <humitrax/${header##*/}>" |
            "${CXX:-c++}" -std=c++20 -fsyntax-only -I"$prefix/include" -x c++ - ||
            fail "include/humitrax/${header##*/} does not compile on its own"
    done
fi

expected=$("$reference") || fail "the reference program failed"
check() { # name, command...
    local name=$1 got
    shift
    got=$("$@") || fail "$name failed"
    [[ $got == "$expected" ]] || fail "$name printed:"$'\n'"$got"$'\n'"but the tree's engine gives:"$'\n'"$expected"
    echo "$name: same as the tree"
}

# find_package(Humitrax 1.0 REQUIRED)
cmake -S "$here" -B "$tmp/find_package" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >"$tmp/configure.log" 2>&1 ||
    { cat "$tmp/configure.log"; fail "find_package(Humitrax 1.0) failed"; }
cmake --build "$tmp/find_package" >"$tmp/build.log" 2>&1 ||
    { cat "$tmp/build.log"; fail "the find_package consumer does not build"; }
check "find_package, shared" "$tmp/find_package/consumer"
check "find_package, static" "$tmp/find_package/consumer_static"
if [[ -z $installed ]] && ldd "$tmp/find_package/consumer_static" | grep humitrax >/dev/null; then
    fail "consumer_static loads a shared Humitrax library"
fi

# pkg-config --cflags --libs humitrax
export PKG_CONFIG_PATH=$libdir/pkgconfig
read -ra pc_cflags <<<"$(pkg-config --cflags humitrax)"
read -ra pc_libs <<<"$(pkg-config --libs humitrax)"
read -ra extra_cxx <<<"$cxxflags"
read -ra extra_ld <<<"$ldflags"
"${CXX:-c++}" -std=c++20 -O2 "${extra_cxx[@]}" "${pc_cflags[@]}" "$here/consumer.cpp" \
    -o "$tmp/pkg_config_consumer" "${extra_ld[@]}" "${pc_libs[@]}" ||
    fail "the pkg-config consumer does not build"
check "pkg-config, shared" env LD_LIBRARY_PATH="$libdir" "$tmp/pkg_config_consumer"
