# The soak's peak memory: one set redefined again and again with every kind of
# list, and instances made and ended one after another, against the same
# workload a hundredth as long. Bounded memory shows as equal peaks.
tallyra_benchmark(soak_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Soak_bench.cpp
  LIBS tallyra_linked_module)
