#!/usr/bin/env bash
# The browser edition. Sets up what it needs (Debian's emscripten, chromium and Node.js through
# apt-get, the test tools through npm with web/package-lock.json, the libraries' sources from
# Debian's archive), builds the site into build-web/site/ and serves it at
# http://127.0.0.1:8050/.
#   bash scripts/web.sh          build, then serve (Ctrl+C stops)
#   bash scripts/web.sh build    only build
# Safe to run again: what is there already is kept, and only what changed is built.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-serve}
case "$mode" in
  serve | build) ;;
  *)
    echo "usage: bash scripts/web.sh [build]" >&2
    exit 2
    ;;
esac

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
packages=(emscripten chromium dpkg-dev cmake ninja-build ccache)
# The machine's own Node.js and npm may come from elsewhere; Debian's only when there is none.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "web: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Debian's emscripten finds its JavaScript tools there.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
if [ ! -f web/node_modules/.package-lock.json ] ||
  [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi

bash scripts/web-libs.sh >/dev/null

build=build-web/cmake
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build/build.ninja" ]; then
  emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_ROOT_PATH="$PWD/build-web/libs" "${launcher[@]}" >/dev/null
fi
cmake --build "$build" --target quendrix50 quendrix-trace

# The site: static files only.
site=build-web/site
mkdir -p "$site/icons" "$site/data/Sound" "$site/data/Graphics"
cp web/site/index.html web/site/page.css web/site/app.js web/site/manifest.webmanifest "$site/"
cp "$build"/web/quendrix50.js "$build"/web/quendrix50.wasm "$build"/web/quendrix50.data "$site/"
cp packaging/icons/quendrix50-{32,128,256,512}.png packaging/icons/quendrix50.svg "$site/icons/"
cp data/Readme.txt data/Whatsnew.txt data/Config.ini "$site/data/"
cp data/Sound/*.wav "$site/data/Sound/"
cp -r data/Graphics/Manual data/Graphics/Backdrop "$site/data/Graphics/"
# The offline copy is renewed whenever a file it keeps changes.
version=$(cat "$site"/index.html "$site"/page.css "$site"/app.js "$site"/quendrix50.* |
  sha256sum | cut -c1-16)
sounds=$(cd "$site" && printf "'%s', " data/Sound/*.wav)
sed -e "s/@VERSION@/$version/" -e "s|@SOUNDS@|${sounds%, }|" web/site/sw.js >"$site/sw.js"
echo "web: the site is in $site"

if [ "$mode" = serve ]; then
  exec node web/serve.mjs "$site" 8050
fi
