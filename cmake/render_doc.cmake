# Turns the manual page and the other documents into what an installation
# ships, at build time:
#   cmake -DMODE=text -DGROFF=groff -DSOURCE=zolt.1 -DOUTPUT=zolt.txt [-DCRLF=ON] -P render_doc.cmake
#   cmake -DMODE=check -DGROFF=groff -DSOURCE=zolt.1 -P render_doc.cmake
#   cmake -DMODE=gzip -DSOURCE=zolt.1 -DOUTPUT=zolt.1.gz -P render_doc.cmake
#   cmake -DMODE=crlf -DSOURCE=LICENSE -DOUTPUT=LICENSE.txt -P render_doc.cmake
#   cmake -DMODE=copyright -DSOURCE=LICENSE -DCONTACT=... -DOUTPUT=copyright -P render_doc.cmake
# text: plain UTF-8 text (no overstriking or colour), with CR LF newlines
# when CRLF is set. check: renders and fails on any groff warning. Both run
# the page through preconv (-k), as man(1) does, because the page holds
# Japanese in UTF-8. gzip: the file compressed without a time stamp, so that
# equal sources give equal packages. crlf: a text file with CR LF newlines.
# copyright: the machine-readable Debian copyright file for the MIT license
# in SOURCE, with its copyright line and text.
cmake_minimum_required(VERSION 3.25)

if(MODE STREQUAL "gzip")
  execute_process(COMMAND gzip -9 -n -c "${SOURCE}"
    OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${SOURCE} failed: ${status}")
  endif()
  return()
endif()

if(MODE STREQUAL "crlf")
  file(READ "${SOURCE}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${OUTPUT}" "${text}")
  return()
endif()

if(MODE STREQUAL "copyright")
  file(READ "${SOURCE}" license)
  if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(Permission .*[^\n])\n*$")
    message(FATAL_ERROR "${SOURCE} is not the MIT license with one copyright line")
  endif()
  set(holder "${CMAKE_MATCH_1}")
  # Continuation lines start with a space; an empty line is written " .".
  string(REPLACE "\n" "\n " text " ${CMAKE_MATCH_2}")
  string(REPLACE "\n \n" "\n .\n" text "${text}")
  file(WRITE "${OUTPUT}"
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: zolt\n"
    "Upstream-Contact: ${CONTACT}\n\n"
    "Files: *\n"
    "Copyright: ${holder}\n"
    "License: Expat\n"
    "Comment: The MIT license.\n\n"
    "License: Expat\n${text}\n")
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
