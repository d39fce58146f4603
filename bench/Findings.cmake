# The findings replay: a plain program (not a Google Benchmark) that replays
# each request once found to hold the host too long, to take too much memory
# or to answer wrongly, in a child process of its own, and prints the longest
# host call and the growth of memory of each.
# It forks and reads /proc, so it is built on Linux only.
if(NOT WIN32)
  add_executable(findings ${CMAKE_CURRENT_LIST_DIR}/Findings.cpp)
  target_link_libraries(findings PRIVATE tallyra_linked_module tallyra_warnings)
endif()
