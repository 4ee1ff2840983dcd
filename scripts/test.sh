#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite in "build",
# then the Qt-free core once more under AddressSanitizer and UBSan in "build-asan".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

export QT_QPA_PLATFORM=offscreen
export ORLIM_WAVE_OUT=null
(cd build && ctest --output-on-failure -j2)

sanitizer_compiler=()
fuzz=OFF
if command -v clang++ >/dev/null; then
    # clang also builds the fuzz targets; their corpora then run as regression tests.
    sanitizer_compiler=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    fuzz=ON
fi
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug "${sanitizer_compiler[@]}" \
    -DORLIM_SANITIZE=ON -DORLIM_WITH_QT=OFF -DORLIM_BENCH=OFF -DORLIM_FUZZ=$fuzz
cmake --build build-asan
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest -L core --output-on-failure -j2)
