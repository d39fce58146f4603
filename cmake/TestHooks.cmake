# The test hooks: state that tests, fuzzers and benchmarks set or read inside
# the module's code (how many lists are in being, a limit on the prime table's
# growth, each host call's allowance and its observer). One switch,
# TALLYRA_TEST_HOOKS, compiles them in; the libraries that the module is made
# of never have it, so the module holds no hook and its host calls read no
# test state (the module_test_hooks test reads its symbols).
#
# tallyra_test_hooks(name LIBS library... SOURCES file...)
#   The few files of a library that hold a hook are compiled a second time,
#   with the switch, and only when a program needs them. `name` is what a test
#   program links instead of the library: those objects go onto its link line
#   ahead of every library, so that they stand in for the library's own
#   (which define no symbol that they lack), and its own files are compiled
#   with the switch too.
#
# A header may hold hook code in inline functions only when the file of its
# library that uses it is among that library's hooked SOURCES (the routine
# adapters of extension/RoutineAdapters.h, instantiated in Catalogue.cpp), and
# a program whose own files use the header with the switch links those hooks
# (tallyra_extension_testing): no program then mixes the two forms of that
# code.
function(tallyra_test_hooks name)
  cmake_parse_arguments(H "" "" "LIBS;SOURCES" ${ARGN})
  add_library(${name}_objects OBJECT EXCLUDE_FROM_ALL ${H_SOURCES})
  target_compile_definitions(${name}_objects PUBLIC TALLYRA_TEST_HOOKS)
  target_link_libraries(${name}_objects PUBLIC ${H_LIBS} PRIVATE tallyra_warnings)
  add_library(${name} INTERFACE)
  target_link_libraries(${name} INTERFACE ${name}_objects $<TARGET_OBJECTS:${name}_objects>)
endfunction()

