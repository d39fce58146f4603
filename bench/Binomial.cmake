# Binomial coefficients of the largest arguments, against the plain product
# method at a small fraction of their size.
tallyra_benchmark(binomial_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Binomial_bench.cpp
  LIBS tallyra_runtime)
