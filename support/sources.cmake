target_sources(pagewick_core PRIVATE
  support/core/Addresses.h
  support/core/FolderPath.h support/core/FolderPath.cpp
  support/core/SystemInfo.h support/core/SystemInfo.cpp
  support/core/SupportMail.h support/core/SupportMail.cpp
  support/core/HelpFile.h support/core/HelpFile.cpp
  support/core/Contrast.h support/core/Contrast.cpp
)
# The system report reads each platform's own sources; elsewhere it says what Qt knows.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  target_sources(pagewick_core PRIVATE support/core/SystemInfoLinux.cpp)
else()
  target_sources(pagewick_core PRIVATE support/core/SystemInfoOther.cpp)
endif()

find_package(Qt6 REQUIRED COMPONENTS Help)
target_sources(pagewick_ui PRIVATE
  support/ui/CHyperLink.h support/ui/CHyperLink.cpp
  support/ui/ReadableColours.h support/ui/ReadableColours.cpp
  support/ui/CFolderDialog.h support/ui/CFolderDialog.cpp
  support/ui/CAboutDlg.h support/ui/CAboutDlg.cpp
  support/ui/CHelpWindow.h support/ui/CHelpWindow.cpp
  support/ui/CHtmlHelp.h support/ui/CHtmlHelp.cpp
  support/ui/HelpCommands.h support/ui/HelpCommands.cpp
)
target_link_libraries(pagewick_ui PUBLIC Qt6::Help)

# The help: pages compiled by qhelpgenerator into a help collection next to the executables.
find_package(Qt6 QUIET COMPONENTS ToolsTools)
if(TARGET Qt6::qhelpgenerator)
  set(PAGEWICK_QHELPGENERATOR Qt6::qhelpgenerator)
else()
  find_program(PAGEWICK_QHELPGENERATOR NAMES qhelpgenerator qhelpgenerator-qt6
    HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}" /usr/lib/qt6/libexec)
  if(NOT PAGEWICK_QHELPGENERATOR)
    message(FATAL_ERROR "qhelpgenerator not found: it builds the help (Debian: qt6-documentation-tools)")
  endif()
endif()

# The pages name the maker's addresses; they are taken from the one header that holds them.
file(STRINGS support/core/Addresses.h PAGEWICK_ADDRESS_LINES REGEX "k(HomePageUrl|SupportEmail)")
foreach(line IN LISTS PAGEWICK_ADDRESS_LINES)
  string(REGEX MATCH "\"([^\"]*)\"" quoted "${line}")
  set(address "${CMAKE_MATCH_1}")
  if(line MATCHES "kHomePageUrl")
    set(PAGEWICK_HOME_PAGE "${address}")
  else()
    set(PAGEWICK_SUPPORT_EMAIL "${address}")
  endif()
endforeach()
if(NOT PAGEWICK_HOME_PAGE OR NOT PAGEWICK_SUPPORT_EMAIL)
  message(FATAL_ERROR "support/core/Addresses.h: the home page or the support address was not found")
endif()

set(PAGEWICK_HELP_PAGES
  main-window.html what-counts.html adding-files.html counting.html editing.html sorting.html
  list-files.html reports.html pagewick-count.html keys.html support.html help.css)
set(PAGEWICK_HELP_STAGE ${CMAKE_BINARY_DIR}/help-pages)
set(PAGEWICK_HELP_STAGED ${PAGEWICK_HELP_STAGE}/pagewick.qhp)
configure_file(support/help/pagewick.qhp ${PAGEWICK_HELP_STAGE}/pagewick.qhp COPYONLY)
foreach(page IN LISTS PAGEWICK_HELP_PAGES)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/support/help/${page}.in)
    configure_file(support/help/${page}.in ${PAGEWICK_HELP_STAGE}/${page} @ONLY)
  else()
    configure_file(support/help/${page} ${PAGEWICK_HELP_STAGE}/${page} COPYONLY)
  endif()
  list(APPEND PAGEWICK_HELP_STAGED ${PAGEWICK_HELP_STAGE}/${page})
endforeach()
# The collection registers the documentation beside it, so that both can move together.
configure_file(support/help/pagewick.qhcp ${CMAKE_BINARY_DIR}/pagewick.qhcp COPYONLY)

add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/pagewick.qch
  COMMAND ${PAGEWICK_QHELPGENERATOR} ${PAGEWICK_HELP_STAGE}/pagewick.qhp -o ${CMAKE_BINARY_DIR}/pagewick.qch
  DEPENDS ${PAGEWICK_HELP_STAGED}
  COMMENT "Compiling the help pages"
  VERBATIM)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/pagewick.qhc
  COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/pagewick.qhc
  COMMAND ${PAGEWICK_QHELPGENERATOR} ${CMAKE_BINARY_DIR}/pagewick.qhcp -o ${CMAKE_BINARY_DIR}/pagewick.qhc
  DEPENDS ${CMAKE_BINARY_DIR}/pagewick.qch ${CMAKE_BINARY_DIR}/pagewick.qhcp
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Building the help collection"
  VERBATIM)
add_custom_target(pagewick_help ALL DEPENDS ${CMAKE_BINARY_DIR}/pagewick.qhc ${CMAKE_BINARY_DIR}/pagewick.qch)

include(GNUInstallDirs)
install(FILES ${CMAKE_BINARY_DIR}/pagewick.qhc ${CMAKE_BINARY_DIR}/pagewick.qch
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pagewick)
