#!/usr/bin/env bash
# Installs what is missing, builds Tarvello and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARVELLO_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target tarvello
exec build/tarvello
