#!/usr/bin/env bash
# The Windows stage: cross-builds the module and every test program for 32-bit
# Windows into build/windows, then runs the tests under Wine on a virtual
# display (their own 32-bit Wine prefix in build/windows/wineprefix).
#
# Some kernels cannot run 32-bit programs at all, Wine's 32-bit loader
# included. There the 32-bit module is still built and its binary checked
# (exports, imports, stripping, notices), and every test runs on the same
# code built for 64-bit Windows, under 64-bit Wine (build/windows64), with a
# line saying so: Windows' own behaviour (menus, message boxes, list boxes,
# text conversion, the C runtime's number texts) is still tested for real.
# Exits non-zero when a build or any test fails.
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

# Whether this machine can run Wine's 32-bit loader.
runs_32bit() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

# build DIR TOOLCHAIN EMULATOR: configures and builds one cross tree.
build() { bash "$here/scripts/cross-build.sh" "$1" "$here/windows/$2" "$3"; }

start=$(date +%s)
if runs_32bit; then
  tests="$build"
  loader=wine
  export WINEARCH=win32
  [ $do_build -eq 0 ] || build "$build" toolchain-i686-mingw.cmake wine
else
  echo "== This machine cannot run 32-bit programs: the 32-bit module's binary is"
  echo "== checked here, and the tests run on the same code built for 64-bit Windows"
  tests="$here/build/windows64"
  loader=/usr/lib/wine/wine64
  export WINEARCH=win64 WINELOADER=$loader
  if [ $do_build -eq 1 ]; then
    build "$build" toolchain-i686-mingw.cmake wine
    build "$tests" toolchain-x86_64-mingw.cmake "$loader"
  fi
  ctest --test-dir "$build" -L binary --output-on-failure
fi
built=$(date +%s)

export WINEPREFIX="$tests/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Everything that uses Wine runs on one virtual display that xvfb-run starts
# on a free server number and stops at the end.
session='
set -euo pipefail
loader=$2
ready="$WINEPREFIX/.tallyra-ready"
if [ ! -f "$ready" ]; then
  echo "== Initialising the Wine prefix $WINEPREFIX"
  "$loader" wineboot --init
  # Windows not managed by a window manager (there is none on the virtual
  # display): Wine would otherwise wait two seconds for one whenever a window,
  # a message box say, is hidden.
  "$loader" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null
  wineserver --wait
  touch "$ready"
fi
# One Wine server, and one set of its background processes, for all the tests
# rather than a start-up for each program. The background processes are
# started here, away from the output of the tests, which ctest reads to its end.
wineserver --persistent
"$loader" wineboot >/dev/null 2>&1
status=0
ctest --test-dir "$1" --output-on-failure --timeout 300 "${@:3}" || status=$?
wineserver --kill || true
exit $status
'
status=0
# On 64-bit Windows the binary checks were made on the 32-bit module above.
only=()
[ "$tests" = "$build" ] || only=(-LE binary)
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  bash -c "$session" session "$tests" "$loader" "${only[@]}" </dev/null || status=$?

end=$(date +%s)
echo "== Windows stage: build $((built - start)) s, tests under Wine $((end - built)) s"
exit $status
