#!/usr/bin/env bash
# Installs what is missing, builds Humitrax and opens the calculator window.
# Without a display it says so and shows the command-line calculation instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --parallel "$(nproc)" --target humitrax humitrax-cli
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cli=build/default/cli/humitrax-cli
    echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open."
    echo "The same calculation on the command line:"
    echo "  $cli calc --dry-bulb 25 --pressure 101.325 --relative-humidity 50"
    "$cli" calc --dry-bulb 25 --pressure 101.325 --relative-humidity 50
    exit 0
fi
exec build/default/window/humitrax
