# muParser: the distribution's package, or (for the Windows cross build) its
# source package built here with the project's compiler. Either way the target
# is tallyra_muparser.
add_library(tallyra_muparser INTERFACE)
if(TALLYRA_MUPARSER_SOURCE)
  file(GLOB muparser_sources ${TALLYRA_MUPARSER_SOURCE}/src/*.cpp)
  add_library(muparser_static STATIC ${muparser_sources})
  target_include_directories(muparser_static SYSTEM PUBLIC ${TALLYRA_MUPARSER_SOURCE}/include)
  target_compile_definitions(muparser_static PUBLIC MUPARSER_STATIC)
  set_target_properties(muparser_static PROPERTIES CXX_VISIBILITY_PRESET default)
  target_link_libraries(tallyra_muparser INTERFACE muparser_static)
else()
  find_package(muparser REQUIRED CONFIG)
  target_link_libraries(tallyra_muparser INTERFACE muparser::muparser)
endif()
