# Warnings for the project's own targets: tallyra_warnings(target).
add_library(tallyra_warnings INTERFACE)
target_compile_options(tallyra_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(TALLYRA_WERROR)
  target_compile_options(tallyra_warnings INTERFACE -Werror)
endif()

if(TALLYRA_SANITIZE)
  # float-cast-overflow is undefined behaviour that GCC leaves out of "undefined".
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow
                      -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# tallyra_unit_test(name SOURCES... LIBS ...): a GoogleTest executable registered with CTest.
function(tallyra_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main tallyra_warnings)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
