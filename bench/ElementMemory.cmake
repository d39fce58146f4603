# The memory of a stored set: its resident growth against that of as many
# doubles.
tallyra_benchmark(elementmemory_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ElementMemory_bench.cpp
  LIBS tallyra_lists)
