# The time that one call's whole work budget takes on each kind of work.
tallyra_benchmark(work_cost_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WorkCost_bench.cpp
  LIBS tallyra_formula tallyra_lists tallyra_muparser)
