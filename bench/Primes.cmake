# The prime list against the distribution's primesieve (counting the primes
# below 2^32 on one thread) and against reads from a plain array of the primes.
# primesieve is used here only, never by the module. It links the lists' test
# hooks: TALLYRA_PORTABLE_READS=1 measures the portable reads of the blocks
# where the processor has the fast ones.
find_package(primesieve REQUIRED CONFIG)
tallyra_benchmark(primes_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Primes_bench.cpp
  LIBS tallyra_lists_testing primesieve::primesieve)
