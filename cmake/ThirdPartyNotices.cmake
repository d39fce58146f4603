# Writes THIRD-PARTY-NOTICES.txt: each component of others that goes into
# TallyraII.mfx and into tallyra, with the Debian package it comes from, that
# package's version and its copyright file (which holds the licence texts),
# read from the installed package or from muParser's source package; nothing
# of a notice is written here by hand.
#   cmake -DOUTPUT=<file> -DCXX=<the module's C++ compiler>
#         -DMUPARSER_SOURCE=<muParser's source package> -P ThirdPartyNotices.cmake
# Fails when a package, its version or its copyright file cannot be found, or
# when a copyright file does not hold the licence that the component is known by.
cmake_minimum_required(VERSION 3.25)

foreach(required OUTPUT CXX MUPARSER_SOURCE)
  if(NOT ${required})
    message(FATAL_ERROR "ThirdPartyNotices.cmake: ${required} is not set")
  endif()
endforeach()

# The installed package that holds file, and its version.
function(package_of file out_package out_version)
  execute_process(COMMAND ${CXX} -print-file-name=${file} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REAL_PATH "${path}" path)
  execute_process(COMMAND dpkg-query -S "${path}" OUTPUT_VARIABLE owner RESULT_VARIABLE failed
                  ERROR_QUIET)
  if(failed OR NOT owner MATCHES "^([^:, ]+)")
    message(FATAL_ERROR "no installed package holds ${path} (${file})")
  endif()
  set(package "${CMAKE_MATCH_1}")
  package_version(${package} version)
  set(${out_package} ${package} PARENT_SCOPE)
  set(${out_version} ${version} PARENT_SCOPE)
endfunction()

function(package_version package out)
  # One line for each architecture that has the package installed: the same
  # version on each.
  execute_process(COMMAND dpkg-query -W -f=\${Version}\n ${package} OUTPUT_VARIABLE version
                  RESULT_VARIABLE failed ERROR_QUIET)
  string(REGEX REPLACE "\n.*" "" version "${version}")
  if(failed OR version STREQUAL "")
    message(FATAL_ERROR "the package ${package} is not installed")
  endif()
  set(${out} ${version} PARENT_SCOPE)
endfunction()

set(rule "==============================================================================")
set(thin "------------------------------------------------------------------------------")
set(text "")

# One component: its name, where it goes, the package lines, and the
# copyright file, which must hold `phrase` (the licence it is known by). The
# notice names the file as it is installed, or as `shown` when that is given.
function(add_notice name where packages copyright phrase)
  set(shown "${ARGN}")
  if(NOT shown)
    set(shown "${copyright}")
  endif()
  if(NOT EXISTS "${copyright}")
    message(FATAL_ERROR "${name}: the copyright file ${copyright} is missing")
  endif()
  file(READ "${copyright}" body)
  string(FIND "${body}" "${phrase}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${name}: ${copyright} does not hold \"${phrase}\"")
  endif()
  string(APPEND text "${rule}\n${name}\n${where}\n")
  foreach(line IN LISTS packages)
    string(APPEND text "${line}\n")
  endforeach()
  string(APPEND text "Copyright and licence: ${shown}, as follows.\n${thin}\n${body}\n")
  set(text "${text}" PARENT_SCOPE)
endfunction()

# muParser, built from its source package.
file(STRINGS "${MUPARSER_SOURCE}/debian/changelog" head LIMIT_COUNT 1)
if(NOT head MATCHES "^([a-z0-9.+-]+) \\(([^)]+)\\)")
  message(FATAL_ERROR "cannot read the version of ${MUPARSER_SOURCE}/debian/changelog")
endif()
add_notice("muParser ${CMAKE_MATCH_2}"
  "In TallyraII.mfx, linked statically: the formula parser."
  "Debian source package: ${CMAKE_MATCH_1} ${CMAKE_MATCH_2}"
  "${MUPARSER_SOURCE}/debian/copyright" "Permission is hereby granted, free of charge"
  "debian/copyright of the source package")

# The GCC runtime libraries.
package_of(libstdc++.a stdcxx_package stdcxx_version)
package_of(libgcc.a gcc_package gcc_version)
package_of(libgcc_eh.a gcc_eh_package gcc_eh_version)
set(lines "Debian package: ${stdcxx_package} ${stdcxx_version} (libstdc++)")
list(APPEND lines "Debian package: ${gcc_package} ${gcc_version} (libgcc)")
if(NOT gcc_eh_package STREQUAL gcc_package)
  list(APPEND lines "Debian package: ${gcc_eh_package} ${gcc_eh_version} (libgcc_eh)")
endif()
add_notice("libstdc++ and libgcc, the GCC runtime libraries ${stdcxx_version}"
  "In TallyraII.mfx, linked statically, under the GCC Runtime Library Exception."
  "${lines}" "/usr/share/doc/${stdcxx_package}/copyright" "GCC RUNTIME LIBRARY EXCEPTION")
# (The packages of one GCC share their copyright file; one that does not gets
# its own notice.)
set(others ${gcc_package} ${gcc_eh_package})
list(REMOVE_DUPLICATES others)
list(REMOVE_ITEM others ${stdcxx_package})
file(READ /usr/share/doc/${stdcxx_package}/copyright first)
foreach(other IN LISTS others)
  file(READ /usr/share/doc/${other}/copyright second)
  if(NOT first STREQUAL second)
    package_version(${other} other_version)
    add_notice("libgcc ${other_version}" "In TallyraII.mfx, linked statically."
      "Debian package: ${other} ${other_version}" "/usr/share/doc/${other}/copyright"
      "GCC RUNTIME LIBRARY EXCEPTION")
  endif()
endforeach()

# The MinGW-w64 runtime: winpthreads and the C run-time start-up and extensions.
package_of(libwinpthread.a pthread_package pthread_version)
package_of(libmingwex.a mingwex_package mingwex_version)
set(lines "Debian package: ${pthread_package} ${pthread_version}")
if(NOT mingwex_package STREQUAL pthread_package)
  message(FATAL_ERROR "winpthreads (${pthread_package}) and the MinGW-w64 run-time "
                      "(${mingwex_package}) come from different packages")
endif()
add_notice("MinGW-w64 runtime ${pthread_version}: winpthreads, the start-up code and libmingwex"
  "In TallyraII.mfx, linked statically." "${lines}"
  "/usr/share/doc/${pthread_package}/copyright" "mingw-w64-libraries/winpthreads")

# tallyra's line editing.
package_version(libedit2 libedit_version)
add_notice("libedit (editline) ${libedit_version}"
  "In tallyra (Linux), linked dynamically: line editing, history and completion."
  "Debian package: libedit2 ${libedit_version}" "/usr/share/doc/libedit2/copyright"
  "Redistribution and use in source and binary forms")
# What libedit itself uses, loaded with it.
package_version(libtinfo6 tinfo_version)
add_notice("ncurses terminal library (libtinfo) ${tinfo_version}"
  "Used by libedit in tallyra (Linux), linked dynamically." "Debian package: libtinfo6 ${tinfo_version}"
  "/usr/share/doc/libtinfo6/copyright" "Permission is hereby granted")
package_version(libbsd0 bsd_version)
add_notice("libbsd ${bsd_version}"
  "Used by libedit in tallyra (Linux), linked dynamically." "Debian package: libbsd0 ${bsd_version}"
  "/usr/share/doc/libbsd0/copyright" "Redistribution and use in source and binary forms")

file(WRITE "${OUTPUT}" "Third-party notices for Tallyra Object II

Tallyra Object II is under the MIT licence (LICENSE). TallyraII.mfx and tallyra
contain or use the components of others listed here; each is named with the
Debian package it is built from and that package's version, and followed by
the package's copyright file, which gives its copyright holders and licences.

${text}")
