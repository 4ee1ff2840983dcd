#!/usr/bin/env bash
# Installs what is missing, builds everything into build/bin and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
echo "Built into $(pwd)/build/bin"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No desktop to show the editor on; start build/bin/orlim from a desktop session." >&2
    exit 1
fi
exec build/bin/orlim
