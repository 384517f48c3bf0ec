#!/usr/bin/env bash
# Installs what is missing, then builds Tarvello twice and runs every test in both trees,
# headless: once with ASan and UBSan (build-test), once as Release without sanitizers
# (build-release), where the code runs at full speed and timing races cannot hide.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# ccache makes a second run, or a fresh clone on the same machine, cheap. The base folder
# makes the cached objects independent of where the clone lies.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
jobs=$(nproc)

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DTARVELLO_SANITIZE=ON "${launcher[@]}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DTARVELLO_SANITIZE=OFF "${launcher[@]}"
cmake --build build-test -j"$jobs"
cmake --build build-release -j"$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
status=0
echo "== Tests with ASan and UBSan (build-test)"
ctest --test-dir build-test --output-on-failure -j"$jobs" || status=1
echo "== Tests of the Release build (build-release)"
ctest --test-dir build-release --output-on-failure -j"$jobs" || status=1
exit $status
