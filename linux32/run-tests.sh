#!/usr/bin/env bash
# The 32-bit Linux stage: builds the module, the simulated host, tallyra and
# every test as 32-bit x86 programs with SSE2 arithmetic
# (linux32/toolchain-i686-linux.cmake) into build/linux32, and runs every test
# with ctest: natively where the kernel runs 32-bit programs, under qemu-i386
# (user-mode emulation) where it does not. It says which it chose. So the
# 32-bit code itself (its layouts, its pointer-sized counts and caps, its
# arithmetic) is tested on every machine.
# Exits non-zero when the build or any test fails.
#   linux32/run-tests.sh
# TALLYRA_I386_NATIVE=yes|no skips the check and runs natively or under
# qemu-i386 (to try the other path); TALLYRA_JOBS sets the parallel jobs of the
# build and of the tests (default: the number of cores).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/linux32"
jobs=${TALLYRA_JOBS:-$(nproc)}

if [ $# -gt 0 ]; then
  echo "run-tests.sh: unknown option $1" >&2
  exit 2
fi

# Whether this kernel runs 32-bit x86 programs: a smallest one, built by the
# same compiler, is run.
runs_32bit() {
  mkdir -p "$build"
  local probe="$build/runs-32bit"
  printf 'int main(void) { return 0; }\n' | gcc -m32 -x c - -o "$probe"
  "$probe" 2>/dev/null
}

start=$(date +%s)
case "${TALLYRA_I386_NATIVE:-}" in
  yes)
    native=1 how="native (TALLYRA_I386_NATIVE=yes)"
    runs_32bit || echo "== (this kernel does not run 32-bit programs: they will fail to start)"
    ;;
  no) native=0 how="under qemu-i386 (TALLYRA_I386_NATIVE=no)" ;;
  "") if runs_32bit; then native=1 how=native; else native=0 how="under qemu-i386"; fi ;;
  *) echo "run-tests.sh: TALLYRA_I386_NATIVE is yes, no or unset" >&2; exit 2 ;;
esac
emulator=
if [ $native -eq 0 ]; then
  emulator=$(command -v qemu-i386-static || command -v qemu-i386 || true)
  if [ -z "$emulator" ]; then
    echo "run-tests.sh: qemu-i386 is missing; run scripts/setup.sh --linux32" >&2
    exit 1
  fi
fi
echo "== 32-bit Linux tests: $how"

# The test programs are listed by running them (as they are built), so the
# emulator is part of the configuration: changing it lists them again.
TALLYRA_JOBS=$jobs bash "$here/scripts/cross-build.sh" "$build" \
  "$here/linux32/toolchain-i686-linux.cmake" "$emulator"
built=$(date +%s)

status=0
# Tests that depend on what the emulator does not model learn it here.
[ $native -eq 1 ] || export TALLYRA_EMULATED_PROCESSOR=qemu-i386
ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=$?
end=$(date +%s)
echo "== 32-bit Linux stage ($how): build $((built - start)) s, tests $((end - built)) s"
exit $status
