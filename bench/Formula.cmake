# Formula lists against a bare muParser loop (formula/).
tallyra_benchmark(formula_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Formula_bench.cpp
  LIBS tallyra_formula tallyra_muparser)
