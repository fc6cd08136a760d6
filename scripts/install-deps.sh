#!/usr/bin/env bash
# Installs the Debian 12 packages Humitrax needs to build, test and run, where
# they are missing. Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev
    libfmt-dev nlohmann-json3-dev
    qt6-base-dev qt6-svg-dev libgl-dev
    python3-dev python3-pybind11 python3-numpy python3-pandas python3-dask python3-distributed
    python3-pytest
    fonts-wine fonts-dejavu-core
    locales
    # Manual pages from --help; the Debian package (dpkg-shlibdeps, file).
    help2man dpkg-dev file
)
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A decimal-comma locale, for the tests that read and write numbers the way a
# German-speaking user's machine does.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "note: could not generate de_DE.UTF-8" >&2
fi
