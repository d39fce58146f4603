#!/usr/bin/env bash
# Installs every package that building and testing the project needs, on Debian, as root.
#   scripts/setup.sh            the Linux build: compilers, CMake, muParser, GoogleTest, Benchmark
#   scripts/setup.sh --windows  also the i686 and x86-64 cross compilers, Wine (32-bit and
#                               64-bit), Xvfb and muParser's source
#   scripts/setup.sh --linux32  also GCC's 32-bit x86 mode (multilib), qemu-i386 for
#                               kernels that run no 32-bit programs, and muParser's source
# Safe to run again: packages already present are left as they are.
set -euo pipefail

windows=0
linux32=0
for arg in "$@"; do
  case "$arg" in
    --windows) windows=1 ;;
    --linux32) linux32=1 ;;
    *) echo "setup.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

export DEBIAN_FRONTEND=noninteractive
here=$(cd "$(dirname "$0")/.." && pwd)

linux_packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev clang-format clang-tidy
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libmuparser-dev libedit-dev libprimesieve-dev
)
windows_packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  wine wine32 xvfb xauth dpkg-dev
)
linux32_packages=(g++-multilib qemu-user-static dpkg-dev)

missing() {
  local p out=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  printf '%s\n' "${out[@]}"
}

updated=0
apt_update() { [ $updated -eq 1 ] || { apt-get update -qq; updated=1; }; }

need=$(missing "${linux_packages[@]}")
if [ -n "$need" ]; then
  apt_update
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $need
fi

if [ $windows -eq 1 ] || [ $linux32 -eq 1 ]; then
  # The package lists are read again only when the sources change here (or a
  # package is missing).
  sources_changed=0
  # (Wine's 32-bit half is an i386 package.)
  if [ $windows -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    sources_changed=1
  fi
  # Source entries, derived from the binary entries that the machine already has,
  # so that muParser's source package can be fetched and cross-built.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case "$f" in *-src.sources) continue ;; esac
    src="${f%.sources}-src.sources"
    if [ ! -f "$src" ] && grep -q '^Types: deb$' "$f"; then
      sed 's/^Types: deb$/Types: deb-src/' "$f" > "$src"
      sources_changed=1
    fi
  done
  if [ $sources_changed -eq 1 ]; then
    updated=0
    apt_update
  fi
  wanted=()
  [ $windows -eq 0 ] || wanted+=("${windows_packages[@]}")
  [ $linux32 -eq 0 ] || wanted+=("${linux32_packages[@]}")
  need=$(missing "${wanted[@]}")
  if [ -n "$need" ]; then
    apt_update
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $need
  fi
  # muParser's source, for the cross builds (build/deps/muparser-*).
  deps="$here/build/deps"
  if ! ls -d "$deps"/muparser-*/ >/dev/null 2>&1; then
    mkdir -p "$deps"
    apt_update
    (cd "$deps" && apt-get source -qq muparser)
  fi
fi
