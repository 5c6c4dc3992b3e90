# cmake -DREPORTS=<folder> -DMODE=clear|check -P reports.cmake
# clear: empties the folder of sanitizer reports before a test run.
# check: fails and prints every report that a process of the run left there.
if(MODE STREQUAL "clear")
  file(REMOVE_RECURSE ${REPORTS})
  file(MAKE_DIRECTORY ${REPORTS})
  return()
endif()

file(GLOB reports ${REPORTS}/*)
if(NOT reports)
  message(STATUS "No sanitizer reports in ${REPORTS}")
  return()
endif()
foreach(report IN LISTS reports)
  file(READ ${report} text)
  message("==== ${report}\n${text}")
endforeach()
list(LENGTH reports count)
message(FATAL_ERROR "${count} sanitizer report(s) in ${REPORTS}")
