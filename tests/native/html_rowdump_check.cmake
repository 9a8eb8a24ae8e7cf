# rowdump --html end to end: the page options reach the page, and a page
# that cannot be written fails the run. Run by ctest as
#   cmake -DROWDUMP=<rowdump> -DWORK=<scratch folder> -DEXPECTED=<page> -P this
# The expected page names the scratch folder "@WORK@".
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/left.txt" "keep\nx\tend & <b>\nkeep2\n")
file(WRITE "${WORK}/right.txt" "keep\nkeep2\n")

execute_process(
  COMMAND "${ROWDUMP}" --html out.html --how 2 --numbers 1 --white-space --tab 8
          --no-arrows --date "D&" --time "<T>" left.txt right.txt
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "rowdump --html failed: ${rc}")
endif()
file(READ "${WORK}/out.html" page)
file(READ "${EXPECTED}" expected)
string(REPLACE "@WORK@" "${WORK}" expected "${expected}")
if(NOT page STREQUAL expected)
  message(FATAL_ERROR "page differs from ${EXPECTED}:\n${page}")
endif()

execute_process(
  COMMAND "${ROWDUMP}" --html "${WORK}/missing/out.html" left.txt right.txt
  WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Could not export comparison results")
  message(FATAL_ERROR "an unwritable page was not reported: ${rc} ${err}")
endif()
file(REMOVE_RECURSE "${WORK}")
