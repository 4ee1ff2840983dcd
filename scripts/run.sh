#!/usr/bin/env bash
# Installs what is missing and builds everything into build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
echo "Built into $(pwd)/build/bin"
