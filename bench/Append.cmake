# Appending to a set: the list's appends, the appending actions' routines and
# the built module in the simulated host, against std::vector push_back.
tallyra_benchmark(append_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Append_bench.cpp
  LIBS tallyra_runtime tallyra_simhost)
target_compile_definitions(append_bench PRIVATE TALLYRA_MODULE_PATH="$<TARGET_FILE:TallyraII>")
add_dependencies(append_bench TallyraII)
