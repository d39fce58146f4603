# The cost audit: a plain program (not a Google Benchmark) that replays the
# operations fuzzer's corpus, the findings program's cases and heavy requests
# of its own through the linked module, and prints the module's own time per
# charged unit of each call that takes long enough to matter, and the worst.
# It forks (the findings' cases) and reads /proc, so it is built on Linux only.
if(NOT WIN32)
  add_executable(cost_audit ${CMAKE_CURRENT_LIST_DIR}/CostAudit.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/Findings.cpp
                            ${PROJECT_SOURCE_DIR}/fuzz/Operations_fuzz.cpp)
  target_compile_definitions(cost_audit PRIVATE TALLYRA_FINDINGS_NO_MAIN
    TALLYRA_FUZZ_CORPUS="${PROJECT_SOURCE_DIR}/fuzz/corpus")
  target_link_libraries(cost_audit PRIVATE tallyra_linked_module tallyra_warnings)
endif()
