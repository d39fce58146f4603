# Stepping a k-subset list and reading its elements, against a 64-bit mask loop.
tallyra_benchmark(ksubset_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/KSubset_bench.cpp
  LIBS tallyra_lists)
