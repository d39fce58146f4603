# The floating-point arithmetic of the 32-bit x86 builds (the Windows module
# and the 32-bit Linux build), included by their toolchain files: SSE2, as in
# the 64-bit builds, so that every double and float operation rounds once to
# its own type and gives the same result on both. The x87 unit, the 32-bit
# compilers' default, keeps intermediates in 80 bits and rounds formulas, sums
# and number texts differently. SSE2 is the module's baseline processor.
# The flags reach every target of the build: muParser's and GoogleTest's
# sources, built with the project, included.
#   -msse2 -mfpmath=sse   scalar float and double arithmetic in SSE registers
#                         (long double stays x87: the project uses none);
#   TALLYRA_I686_STACK    also -mstackrealign where callers may keep only
#                         4-byte stack alignment (32-bit Windows), so that
#                         SSE spills to the stack never fault.
set(tallyra_i686_flags "-msse2 -mfpmath=sse")
if(TALLYRA_I686_STACK)
  string(APPEND tallyra_i686_flags " -mstackrealign")
endif()
# (A toolchain file is read once for each language that is enabled.)
foreach(language C CXX)
  if(NOT CMAKE_${language}_FLAGS_INIT MATCHES "-mfpmath=sse")
    string(APPEND CMAKE_${language}_FLAGS_INIT " ${tallyra_i686_flags}")
  endif()
endforeach()
