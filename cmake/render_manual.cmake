# Turns the manual page into what an installation ships, at build time:
#   cmake -DMODE=text -DGROFF=groff -DSOURCE=zolt.1 -DOUTPUT=zolt.txt [-DCRLF=ON] -P render_manual.cmake
#   cmake -DMODE=check -DGROFF=groff -DSOURCE=zolt.1 -P render_manual.cmake
#   cmake -DMODE=gzip -DSOURCE=zolt.1 -DOUTPUT=zolt.1.gz -P render_manual.cmake
# text: plain UTF-8 text (no overstriking or colour), with CR LF newlines
# when CRLF is set. check: renders and fails on any groff warning. Both run
# the page through preconv (-k), as man(1) does, because the page holds
# Japanese in UTF-8. gzip: the page compressed without a time stamp, so that
# equal sources give equal packages.
cmake_minimum_required(VERSION 3.25)

if(MODE STREQUAL "gzip")
  execute_process(COMMAND gzip -9 -n -c "${SOURCE}"
    OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${SOURCE} failed: ${status}")
  endif()
  return()
endif()

execute_process(COMMAND "${GROFF}" -k -man -ww -Tutf8 -P-cbou "${SOURCE}"
  OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff could not render ${SOURCE} cleanly (status ${status}):\n${warnings}")
endif()
if(text STREQUAL "")
  message(FATAL_ERROR "groff rendered ${SOURCE} as nothing")
endif()
if(MODE STREQUAL "check")
  message(STATUS "${SOURCE} renders without warnings")
  return()
endif()
if(CRLF)
  string(REPLACE "\n" "\r\n" text "${text}")
endif()
file(WRITE "${OUTPUT}" "${text}")
