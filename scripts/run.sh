#!/usr/bin/env bash
# Installs what is missing, builds everything into build/bin, renders the project's
# demo song to build/demo.wav through the default General MIDI sound, and starts the
# editor when there is a desktop to show it on.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
echo "Built into $(pwd)/build/bin"

build/bin/orlim-make-demo build/demo.mid
build/bin/orlim-render build/demo.mid build/demo.wav
echo "The demo song is in $(pwd)/build/demo.wav (its MIDI file: build/demo.mid)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No desktop to show the editor on; start build/bin/orlim from a desktop session."
    exit 0
fi
exec build/bin/orlim
