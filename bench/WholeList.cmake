# A whole list read at once: its text form ("asString$(") and its concrete
# copy, against as many ElementAt calls.
tallyra_benchmark(wholelist_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WholeList_bench.cpp
  LIBS tallyra_runtime)
