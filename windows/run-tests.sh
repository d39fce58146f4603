#!/usr/bin/env bash
# The Windows stage: cross-builds the module and every test program for 32-bit
# Windows into build/windows, then runs the tests under Wine on a virtual
# display (their own 32-bit Wine prefix in build/windows/wineprefix).
# Exits non-zero when the build or any test fails.
#   windows/run-tests.sh              configure, build and test
#   windows/run-tests.sh --no-build   test what was built
# TALLYRA_JOBS sets the build's parallel jobs (default: the number of cores).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/windows"

do_build=1
for arg in "$@"; do
  case "$arg" in
    --no-build) do_build=0 ;;
    *) echo "run-tests.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

start=$(date +%s)
if [ $do_build -eq 1 ]; then
  muparser=$(ls -d "$here"/build/deps/muparser-*/ 2>/dev/null | head -n 1 || true)
  if [ -z "$muparser" ]; then
    echo "run-tests.sh: muParser's source is missing; run scripts/setup.sh --windows" >&2
    exit 1
  fi
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/windows/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTALLYRA_WERROR=ON \
    -DTALLYRA_MUPARSER_SOURCE="${muparser%/}" \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine
  cmake --build "$build" -j "${TALLYRA_JOBS:-$(nproc)}"
fi
built=$(date +%s)

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Everything that uses Wine runs on one virtual display that xvfb-run starts
# on a free server number and stops at the end.
session='
set -euo pipefail
ready="$WINEPREFIX/.tallyra-ready"
if [ ! -f "$ready" ]; then
  echo "== Initialising the Wine prefix $WINEPREFIX"
  wineboot --init
  # Windows not managed by a window manager (there is none on the virtual
  # display): Wine would otherwise wait two seconds for one whenever a window,
  # a message box say, is hidden.
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null
  wineserver --wait
  touch "$ready"
fi
# One Wine server, and one set of its background processes, for all the tests
# rather than a start-up for each program. The background processes are
# started here, away from the output of the tests, which ctest reads to its end.
wineserver --persistent
wineboot >/dev/null 2>&1
status=0
ctest --test-dir "$1" --output-on-failure --timeout 300 || status=$?
wineserver --kill || true
exit $status
'
status=0
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c "$session" session "$build" \
  </dev/null || status=$?

end=$(date +%s)
echo "== Windows stage: build $((built - start)) s, tests under Wine $((end - built)) s"
exit $status
