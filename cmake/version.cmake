# Writes the program's version into a header, at every build: the project's
# version and, in a git checkout of this source tree, the date of its commit
# and `git describe`, the way Debian names snapshots of a version:
#   0.1.0+git20240315.65e6f1c   (.dirty when the tree has changes)
# Outside a checkout (a tarball) it is the project's version alone, dated by
# SOURCE_DATE_EPOCH or else the build's day. Only '+', '.' and alphanumerics
# are used, so the same string is a valid Debian package version.
# The header is rewritten only when its text changes: nothing rebuilds for
# nothing.
#   cmake -DSOURCE_DIR=… -DPROJECT_VERSION=… -DOUTPUT=…/version.h -P version.cmake
cmake_minimum_required(VERSION 3.25)

set(version "${PROJECT_VERSION}")
unset(epoch)
find_program(GIT git)
if(GIT)
  # Only a checkout of this very tree counts, not a repository that happens
  # to hold the unpacked tarball somewhere above it.
  execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" rev-parse --show-toplevel
                  OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0)
    file(REAL_PATH "${top}" top)
    file(REAL_PATH "${SOURCE_DIR}" source)
  endif()
  if(status EQUAL 0 AND top STREQUAL source)
    execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" describe --always --dirty
                    OUTPUT_VARIABLE describe OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
    string(REGEX REPLACE "[^A-Za-z0-9.+]+" "." describe "${describe}")
  endif()
endif()
if(NOT epoch AND DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
endif()
# string(TIMESTAMP) reads the time from SOURCE_DATE_EPOCH when it is set.
# Without a date to go by it is the build's day, at midnight: the header does
# not change at every build of the day.
set(time "%H:%M:%S")
if(epoch)
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
else()
  set(time "00:00:00")
endif()
string(TIMESTAMP date "%Y-%m-%d" UTC)
string(TIMESTAMP day "%Y%m%d" UTC)
string(TIMESTAMP stamp "%a, %d %b %Y ${time} +0000" UTC)
if(describe)
  string(APPEND version "+git${day}.${describe}")
endif()

set(text "// Written at build time by cmake/version.cmake; not in the source tree.
#define CORVANE_VERSION \"${version}\"
#define CORVANE_RELEASE_DATE \"${date}\"
#define CORVANE_RELEASE_STAMP \"${stamp}\"
")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
