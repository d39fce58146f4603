# Runs tallyra on one script and compares the whole transcript with the
# expected one, byte for byte:
#   cmake -DTALLYRA=<tallyra> -DSCRIPT=<dir/name.tly> [-DMODE=file|stdin|clean]
#         [-DEMULATOR=<wine>] [-DEXPECTED=<file>] [-DARGS=<args instead of run>] -P RunScript.cmake
#
# The transcript is the standard output; when the standard error is not empty
# or the exit status is not 0, a line "--- stderr", the standard error and a
# line "--- exit N" follow. tallyra runs in the script's folder with the
# script's bare name, so that messages name it the same on every machine.
# MODE stdin feeds the script on standard input (run -); MODE clean only
# checks that the script runs to its end with exit status 0 and no error.
cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED MODE)
  set(MODE file)
endif()
get_filename_component(dir "${SCRIPT}" DIRECTORY)
get_filename_component(name "${SCRIPT}" NAME)
get_filename_component(stem "${SCRIPT}" NAME_WE)
if(NOT DEFINED EXPECTED)
  set(EXPECTED "${dir}/${stem}.out")
endif()

if(DEFINED ARGS)
  separate_arguments(command_args UNIX_COMMAND "${ARGS}")
elseif(MODE STREQUAL "stdin")
  set(command_args run -)
else()
  set(command_args run ${name})
endif()
if(MODE STREQUAL "stdin")
  set(input INPUT_FILE ${name})
else()
  set(input)
endif()

execute_process(
  COMMAND ${EMULATOR} ${TALLYRA} ${command_args}
  WORKING_DIRECTORY "${dir}"
  ${input}
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status)

set(transcript "${out}")
if(NOT err STREQUAL "" OR NOT status STREQUAL "0")
  string(APPEND transcript "--- stderr\n${err}--- exit ${status}\n")
endif()

if(MODE STREQUAL "clean")
  if(NOT err STREQUAL "" OR NOT status STREQUAL "0")
    message(FATAL_ERROR "${name} did not run cleanly:\n${transcript}")
  endif()
  return()
endif()

if(NOT EXISTS "${EXPECTED}")
  message(FATAL_ERROR "${EXPECTED} is missing; the transcript was:\n${transcript}")
endif()
file(READ "${EXPECTED}" expected)
if(NOT transcript STREQUAL expected)
  set(actual "${CMAKE_CURRENT_BINARY_DIR}/${stem}.actual")
  file(WRITE "${actual}" "${transcript}")
  message(FATAL_ERROR "${name}: the transcript differs from ${EXPECTED}\n"
                      "(written to ${actual}):\n${transcript}")
endif()
