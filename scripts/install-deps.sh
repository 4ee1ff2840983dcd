#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Usage: scripts/install-deps.sh [--bench]   (--bench adds the comparison peer and
#        real MIDI songs to compare on)
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev
    libasound2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    timgm6mb-soundfont
)
if [[ "${1:-}" == "--bench" ]]; then
    packages+=(fluidsynth time openttd-openmsx)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
run_as_root=()
if ((EUID != 0)); then
    command -v sudo >/dev/null || { echo "Missing packages (${missing[*]}); run this as root." >&2; exit 1; }
    run_as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update
"${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
