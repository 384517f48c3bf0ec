#!/usr/bin/env bash
# Builds the Debian package build-deb/tarvello_<version>_amd64.deb: a Release build
# without tests, installed below /usr, its dependencies found by dpkg-shlibdeps.
# Install it with: apt install ./build-deb/tarvello_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD
fi
# Debian's hardening flags: read-only relocations, bound at start, fortified C library
# calls and stack protection, no compiler banner, as lintian expects of packaged programs.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) -fstack-protector-strong -Wformat -fno-ident"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DTARVELLO_BUILD_TESTS=OFF \
  -DTARVELLO_SANITIZE=OFF -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}"
cmake --build build-deb -j"$(nproc)"
rm -f build-deb/tarvello_*.deb
(cd build-deb && cpack -G DEB)
package=$(ls build-deb/tarvello_*.deb)
dpkg-deb --info "$package"
if command -v lintian >/dev/null; then
  lintian --info "$package" || true  # as root lintian warns about itself; no error is expected
fi
echo "Built $package"
