# cmake -DNM=nm -DMODULE=file -P CheckNoTestHooks.cmake
# Fails when the module's symbol table (its local symbols included) names a
# test hook (cmake/TestHooks.cmake): a function or variable "for testing", the
# count of lists in being, the prime table's growth limit.
execute_process(COMMAND ${NM} -C ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed OR symbols STREQUAL "")
  message(FATAL_ERROR "cannot read the symbols of ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]*([Ff]or_?[Tt]esting|LiveCount|growth_limit)[^\n]*" hooks "${symbols}")
if(hooks)
  list(JOIN hooks "\n  " shown)
  message(FATAL_ERROR "${MODULE} holds test hooks:\n  ${shown}")
endif()
message(STATUS "${MODULE}: no test hook among its symbols")
