#!/usr/bin/env bash
# Installs what is missing, builds Tarvello with ASan and UBSan and runs every test,
# headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DTARVELLO_SANITIZE=ON
cmake --build build-test -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
