# Installs the build into an empty PREFIX with `cmake --install` and checks that every file of the
# EXPECTED list is there, and that the installed pagewick-count runs.
# cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=... -P CheckInstall.cmake
foreach(var BUILD_DIR PREFIX EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckInstall.cmake needs -D${var}=...")
  endif()
endforeach()

# A file left from an earlier run must not pass for one installed now.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

file(STRINGS "${EXPECTED}" lines)
set(missing)
set(expected)
set(unwanted)
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(line MATCHES "^!(.*)")
    if(EXISTS "${PREFIX}/${CMAKE_MATCH_1}")
      list(APPEND unwanted "${CMAKE_MATCH_1}")
    endif()
    continue()
  endif()
  list(APPEND expected "${line}")
  if(NOT EXISTS "${PREFIX}/${line}" OR IS_DIRECTORY "${PREFIX}/${line}")
    list(APPEND missing "${line}")
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "not installed under ${PREFIX}:\n  ${text}")
endif()
if(unwanted)
  list(JOIN unwanted "\n  " text)
  message(FATAL_ERROR "installed under ${PREFIX}, but meant for the Debian package only:\n  ${text}")
endif()

# Installed, the program must run without the build tree (no build paths, nothing left behind).
execute_process(COMMAND "${PREFIX}/bin/pagewick-count" --help
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT result EQUAL 0 OR NOT output MATCHES "^Usage: pagewick-count ")
  message(FATAL_ERROR "the installed pagewick-count --help failed (${result}):\n${output}${error}")
endif()

# Extra files are not faults, but a list that forgets them should be noticed.
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(REMOVE_ITEM installed ${expected})
list(LENGTH expected count)
message(STATUS "all ${count} listed files installed")
if(installed)
  list(SORT installed)
  list(JOIN installed "\n  " text)
  message(STATUS "also installed:\n  ${text}")
endif()
