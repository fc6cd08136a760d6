#!/usr/bin/env bash
# Makes the Debian package from the release build (build/default, as
# scripts/test.sh leaves it), installs it with apt-get, tries what it
# installed, and removes it again, whatever the outcome. Needs root (or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

rm -f "$build"/humitrax_*.deb
(cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || { cat "$build/cpack.log"; exit 1; }
debs=("$build"/humitrax_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "check-deb.sh: no single humitrax_*.deb in $build" >&2; exit 1; }
deb=${debs[0]}
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

# What the package must hold.
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for path in usr/bin/humitrax-cli usr/bin/humitrax \
    usr/share/applications/humitrax.desktop usr/share/icons/hicolor/48x48/apps/humitrax.png \
    usr/share/man/man1/humitrax-cli.1 usr/share/man/man1/humitrax.1 \
    usr/share/bash-completion/completions/humitrax-cli \
    libhumitrax_engine.so.1 libhumitrax_state.so.1 libhumitrax_engine.a libhumitrax_state.a \
    usr/include/humitrax/psychrometrics.h usr/include/humitrax/state.h \
    cmake/Humitrax/HumitraxConfig.cmake cmake/Humitrax/HumitraxConfigVersion.cmake pkgconfig/humitrax.pc; do
    grep -q -- "$path" <<<"$contents" || { echo "check-deb.sh: the package has no $path" >&2; exit 1; }
done

as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends --reinstall "./$deb"
trap 'as_root env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq humitrax' EXIT

[ "$(command -v humitrax-cli)" = /usr/bin/humitrax-cli ] || { echo "check-deb.sh: humitrax-cli is not /usr/bin's" >&2; exit 1; }
humitrax-cli --version
humitrax --version
humitrax-cli call WetBulbSI 25 101.325 3 0.5
man -w humitrax-cli humitrax
# Debian's python3, which reads /usr/lib/python3/dist-packages: another
# python3 may come first on PATH.
if dpkg -L humitrax | grep '/dist-packages/humitrax' >/dev/null; then
    (cd / && /usr/bin/python3 -c 'import humitrax; print("python3: import humitrax:", humitrax.__file__)')
fi
bash tests/package/check_install.sh --installed /usr "$build/tests/package_reference"
echo "check-deb.sh: $deb installs and works"
