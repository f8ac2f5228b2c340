#!/usr/bin/env bash
# Builds zlib, libpng and libjpeg-turbo for WebAssembly from Debian's own source packages, into
# build-web/libs/ (include/ and lib/). Emscripten's ports would download them; here the sources
# come from Debian's archive through a deb-src entry made from the machine's apt source.
# Safe to run again: a library already built is left as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build-web/libs
src=$PWD/build-web/src
mkdir -p "$out/include" "$out/lib" "$src"
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
cflags=(-O2)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# A deb-src entry beside each deb one of the machine's own sources, once.
enable_sources() {
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return
  fi
  local list=/etc/apt/sources.list.d/quendrix50-src.sources
  local tmp
  tmp=$(mktemp)
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/;p' "$f" >>"$tmp"
    echo >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$tmp.list"
    [ -s "$tmp.list" ] && "${sudo_cmd[@]}" install -m 644 "$tmp.list" \
      /etc/apt/sources.list.d/quendrix50-src.list
    rm -f "$tmp.list"
  fi
  [ -s "$tmp" ] && "${sudo_cmd[@]}" install -m 644 "$tmp" "$list"
  rm -f "$tmp"
  "${sudo_cmd[@]}" apt-get update -qq
}

# The unpacked source of Debian package $1 in $src, fetched once; prints its folder.
source_of() {
  local dir
  dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name "$2-*" | head -n 1)
  if [ -z "$dir" ]; then
    enable_sources
    # The newest version first; an archive that lacks its files (a security mirror) gives way
    # to the next.
    local v
    for v in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV | uniq); do
      (cd "$src" && apt-get source -qq "$1=$v" >/dev/null 2>&1) && break
    done
    dir=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name "$2-*" | head -n 1)
  fi
  [ -n "$dir" ] || { echo "web-libs: no source of $1" >&2; exit 1; }
  echo "$dir"
}

# zlib from its .c files: its own build scripts probe the host.
if [ ! -f "$out/lib/libz.a" ]; then
  dir=$(source_of zlib zlib)
  rm -rf "$out/obj/zlib" && mkdir -p "$out/obj/zlib"
  # What its configure would set: the platform has unistd.h (defined for its own files too).
  sed 's/^#ifdef HAVE_UNISTD_H.*/#if 1/' "$dir/zconf.h" >"$out/obj/zlib/zconf.h"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
    inftrees trees uncompr zutil; do
    emcc "${cflags[@]}" -DHAVE_UNISTD_H -DHAVE_STDARG_H -c "$dir/$f.c" -o "$out/obj/zlib/$f.o"
  done
  emar rcs "$out/lib/libz.a" "$out"/obj/zlib/*.o
  cp "$dir/zlib.h" "$out/obj/zlib/zconf.h" "$out/include/"
fi

# libpng from its .c files, with its prebuilt configuration.
if [ ! -f "$out/lib/libpng.a" ]; then
  dir=$(source_of libpng1.6 libpng1.6)
  rm -rf "$out/obj/png" && mkdir -p "$out/obj/png"
  cp "$dir/scripts/pnglibconf.h.prebuilt" "$out/obj/png/pnglibconf.h"
  for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset \
    pngtrans pngwio pngwrite pngwtran pngwutil; do
    emcc "${cflags[@]}" -DPNG_ARM_NEON_OPT=0 -I"$out/obj/png" -I"$out/include" \
      -c "$dir/$f.c" -o "$out/obj/png/$f.o"
  done
  emar rcs "$out/lib/libpng.a" "$out"/obj/png/*.o
  cp "$dir/png.h" "$dir/pngconf.h" "$out/obj/png/pnglibconf.h" "$out/include/"
fi

# libjpeg-turbo through its CMake build, without SIMD; its size_t probe runs on the host, so
# the configured size is set to WebAssembly's own afterwards.
if [ ! -f "$out/lib/libjpeg.a" ]; then
  dir=$(source_of libjpeg-turbo libjpeg-turbo)
  b=$out/obj/jpeg
  rm -rf "$b"
  emcmake cmake -S "$dir" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_C_FLAGS=-O2 >/dev/null
  sed -i 's/^#define SIZEOF_SIZE_T .*/#define SIZEOF_SIZE_T  4/' "$b/jconfigint.h"
  cmake --build "$b" --target jpeg-static >/dev/null
  cp "$b/libjpeg.a" "$out/lib/libjpeg.a"
  cp "$dir/jpeglib.h" "$dir/jmorecfg.h" "$dir/jerror.h" "$b/jconfig.h" "$out/include/"
fi
echo "web-libs: $out"
