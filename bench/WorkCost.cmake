# The time that one call's whole work budget takes on each kind of work. It
# links the lists' test hooks: TALLYRA_PORTABLE_READS=1 times the prime reads
# with the portable reads of the blocks where the processor has the fast ones.
tallyra_benchmark(work_cost_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WorkCost_bench.cpp
  LIBS tallyra_formula tallyra_lists tallyra_lists_testing tallyra_muparser)
