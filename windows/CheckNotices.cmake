# Checks that the folder of the shipped module holds the licence and a notice
# for every component of others linked into the module. The components are
# read from the linker's map (every file that the link loaded): a file from an
# installed package needs a notice naming that package ("Debian package: NAME
# "); a library built here from another's source (BUILT: file name=source
# package) one naming its source package; the project's own libraries and
# objects need none.
#   cmake -DMAP=<link map> -DBUILD_DIR=<build tree> -DPACKAGE_DIR=<folder>
#         -DLICENSE=<the project's LICENSE> -DBUILT=<file=source;...> -P CheckNotices.cmake
cmake_policy(VERSION 3.25)
set(errors "")

set(notices_file "${PACKAGE_DIR}/THIRD-PARTY-NOTICES.txt")
if(NOT EXISTS "${notices_file}")
  message(FATAL_ERROR "${notices_file} is missing")
endif()
file(READ "${notices_file}" notices)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${LICENSE}" "${PACKAGE_DIR}/LICENSE"
                RESULT_VARIABLE different)
if(different)
  list(APPEND errors "${PACKAGE_DIR}/LICENSE is missing or not the project's LICENSE")
endif()

# The files that the link loaded.
file(STRINGS "${MAP}" loads REGEX "^LOAD ")
list(TRANSFORM loads REPLACE "^LOAD " "")
if(NOT loads)
  message(FATAL_ERROR "${MAP} names no file that the link loaded")
endif()

set(packages "")
set(built_needed "")
foreach(input IN LISTS loads)
  if(input STREQUAL "dll stuff")
    continue()  # the linker's own export and relocation tables
  endif()
  if(NOT EXISTS "${input}" AND NOT EXISTS "${BUILD_DIR}/${input}")
    list(APPEND errors "${input}: linked, but not found")
    continue()
  endif()
  file(REAL_PATH "${input}" path BASE_DIRECTORY "${BUILD_DIR}")
  get_filename_component(name "${path}" NAME)
  cmake_path(IS_PREFIX BUILD_DIR "${path}" NORMALIZE in_build)
  if(in_build)
    set(source "")
    foreach(entry IN LISTS BUILT)
      if(entry MATCHES "^(.+)=(.+)$" AND name STREQUAL CMAKE_MATCH_1)
        set(source "${CMAKE_MATCH_2}")
      endif()
    endforeach()
    if(source)
      list(APPEND built_needed "${source}")
    elseif(NOT name MATCHES "^(libtallyra_.*\\.a|.*\\.obj|.*\\.o|.*\\.res|.*\\.def)$")
      list(APPEND errors "${path}: built here, but neither the project's own nor a known component")
    endif()
    continue()
  endif()
  execute_process(COMMAND dpkg-query -S "${path}" OUTPUT_VARIABLE owner RESULT_VARIABLE failed
                  ERROR_QUIET)
  if(failed OR NOT owner MATCHES "^([^:, ]+)")
    list(APPEND errors "${path}: no installed package holds it")
    continue()
  endif()
  list(APPEND packages "${CMAKE_MATCH_1}")
endforeach()
list(REMOVE_DUPLICATES packages)
list(REMOVE_DUPLICATES built_needed)

foreach(package IN LISTS packages)
  string(FIND "${notices}" "\nDebian package: ${package} " found)
  if(found EQUAL -1)
    list(APPEND errors "no notice for the package ${package}, linked into the module")
  endif()
endforeach()
foreach(source IN LISTS built_needed)
  string(FIND "${notices}" "\nDebian source package: ${source} " found)
  if(found EQUAL -1)
    list(APPEND errors "no notice for ${source}, built from source into the module")
  endif()
endforeach()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "${PACKAGE_DIR}:\n  ${text}")
endif()
message(STATUS "${PACKAGE_DIR}: the licence, and notices for ${built_needed} ${packages}")
