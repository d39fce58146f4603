# tallyra_windows_module(target): makes the shared library `target` the
# Windows module TallyraII.mfx (Windows builds only). It gets
#  - the resources of windows/TallyraII.rc;
#  - a module-definition file generated from TALLYRA_EXPORTS in abi/HostAbi.h,
#    which exports each function under its plain name (the __stdcall symbol
#    _Name@N is exported as Name) and names the module "TallyraII.mfx.mfx" in
#    its export directory;
#  - a linker map (its file in the global property TALLYRA_WINDOWS_MODULE_MAP);
#  - once linked, its debug information moved into TallyraII.mfx.debug beside
#    it, which the stripped module names in its .gnu_debuglink section, and a
#    copy of the stripped module in bin/, beside tallyra;
#  - the shipped folder and the checks of windows/CMakeLists.txt (imports,
#    exports, stripping, notices, resources).

# The names of the module's exports, in the order of TALLYRA_EXPORTS.
function(tallyra_export_names out)
  set(abi ${PROJECT_SOURCE_DIR}/abi/HostAbi.h)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${abi})
  # (Read whole: every line of the list ends with a backslash, which a list
  # of lines would take for an escape.)
  file(READ ${abi} text)
  string(REGEX MATCHALL "\n *X\\([A-Za-z_][A-Za-z0-9_]*," entries "${text}")
  set(names "")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^\n *X\\(([A-Za-z_][A-Za-z0-9_]*),$" "\\1" name "${entry}")
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(tallyra_windows_module target)
  if(NOT WIN32)
    return()
  endif()
  tallyra_export_names(names)
  list(JOIN names "\n  " exports)
  set(def ${PROJECT_BINARY_DIR}/windows/TallyraII.def)
  file(CONFIGURE OUTPUT ${def} CONTENT
       "; Generated from TALLYRA_EXPORTS in abi/HostAbi.h.\nLIBRARY \"TallyraII.mfx.mfx\"\nEXPORTS\n  ${exports}\n")
  target_sources(${target} PRIVATE ${def} ${PROJECT_SOURCE_DIR}/windows/TallyraII.rc)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/windows/TallyraII.rc PROPERTIES
    OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/windows/TallyraII-400.bmp;${PROJECT_SOURCE_DIR}/windows/TallyraII-401.bmp")
  set_target_properties(${target} PROPERTIES OUTPUT_NAME TallyraII PREFIX "" SUFFIX ".mfx")
  # The .def names the plain names; the linker binds each to its _Name@N symbol.
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  set(map ${PROJECT_BINARY_DIR}/windows/TallyraII.map)
  target_link_options(${target} PRIVATE -Wl,-Map=${map})
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "The module is stripped with objcopy, which was not found")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}>
            $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${PROJECT_BINARY_DIR}/bin/
    COMMENT "Stripping TallyraII.mfx, its debug information into TallyraII.mfx.debug"
    VERBATIM)
  set_property(GLOBAL PROPERTY TALLYRA_WINDOWS_MODULE ${target})
  set_property(GLOBAL PROPERTY TALLYRA_WINDOWS_MODULE_MAP ${map})
endfunction()
