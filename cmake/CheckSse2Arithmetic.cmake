# Checks that compiled code does its floating-point arithmetic in SSE2, as
# cmake/I686Arithmetic.cmake asks of the 32-bit x86 builds: no x87 arithmetic
# instruction (fadd, fmul, fdiv, fsqrt, fsin, ... , whose 80-bit intermediates
# round differently) in any function of the given objects and archives. The
# x87 loads and stores that the 32-bit calling convention uses to return a
# double change no value and are allowed.
#   cmake -DOBJDUMP=<objdump> -DFILES=<file,file,...> -P CheckSse2Arithmetic.cmake
cmake_minimum_required(VERSION 3.25)

foreach(required OBJDUMP FILES)
  if(NOT ${required})
    message(FATAL_ERROR "CheckSse2Arithmetic.cmake: ${required} is not set")
  endif()
endforeach()

set(mnemonic "f(i?(add|sub|subr|mul|div|divr)p?|sqrt|prem1?|rndint|scale|sin|cos|sincos|ptan|patan|2xm1|yl2x|yl2xp1)")
string(REPLACE "," ";" files "${FILES}")
set(offenders "")
foreach(file IN LISTS files)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} is missing")
  endif()
  # Only the function headers and the x87 arithmetic lines, in order.
  execute_process(
    COMMAND ${OBJDUMP} -d -C --no-show-raw-insn "${file}"
    COMMAND grep -E "^[0-9a-f]+ <|^ *[0-9a-f]+:[[:space:]]+${mnemonic}[[:space:]]"
    OUTPUT_VARIABLE lines RESULT_VARIABLE results ERROR_VARIABLE errors)
  list(GET results 0 dumped)
  if(NOT dumped EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${file}: ${errors}")
  endif()
  string(REPLACE ";" "\\;" lines "${lines}")
  string(REPLACE "\n" ";" lines "${lines}")
  set(function "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-f]+ <(.*)>:$")
      set(function "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^ *[0-9a-f]+:[ \t]+([a-z0-9]+)")
      list(APPEND offenders "${file}: ${function}: ${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()

if(offenders)
  list(REMOVE_DUPLICATES offenders)
  list(LENGTH offenders count)
  list(SUBLIST offenders 0 20 shown)
  list(JOIN shown "\n  " shown)
  message(FATAL_ERROR "x87 arithmetic in ${count} places (the first 20):\n  ${shown}")
endif()
list(LENGTH files count)
message(STATUS "No x87 arithmetic in the ${count} files checked")
