#!/usr/bin/env bash
# Builds the Debian package of a release build: build-package/quendrix50_<version>_<arch>.deb,
# then validates it as the tests do. Install it with
#   sudo apt-get install ./build-package/quendrix50_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build-package -DCMAKE_BUILD_TYPE=Release -DQ50_TESTS=OFF -DQ50_BENCH=OFF \
  "$@"
(cd build-package && cpack -G DEB)
deb=$(ls build-package/quendrix50_*.deb)
desktop-file-validate build-package/packaging/org.vantorel.quendrix50.desktop
appstreamcli validate --no-net packaging/org.vantorel.quendrix50.metainfo.xml
lintian --fail-on error --info --tag-display-limit 0 "$deb" || { echo "package: lintian errors"; exit 1; }
echo "package: $deb, $(stat -c %s "$deb") bytes"
