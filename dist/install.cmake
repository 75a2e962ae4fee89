# Pagewick on the desktop: what `cmake --install` puts where (GNU layout), and the Debian package that
# `cpack` makes of it.
include(GNUInstallDirs)

set(PAGEWICK_DIST_DIR ${CMAKE_CURRENT_SOURCE_DIR}/dist)
set(PAGEWICK_DIST_OUT ${CMAKE_CURRENT_BINARY_DIR}/dist)

# The maker's addresses and the application id are written once, in the program's own header.
function(pagewick_read_address name out)
  file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/support/core/Addresses.h line REGEX "${name}\\[\\] = \"")
  if(NOT line MATCHES "\"([^\"]+)\"")
    message(FATAL_ERROR "support/core/Addresses.h has no ${name}")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
pagewick_read_address(kApplicationId PAGEWICK_APP_ID)
pagewick_read_address(kHomePageUrl PAGEWICK_HOME_PAGE)
pagewick_read_address(kSupportEmail PAGEWICK_SUPPORT_EMAIL)

install(TARGETS pagewick pagewick-count RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The application menu entry ("Open With" for TIFF files) and the software centre's description.
install(FILES ${PAGEWICK_DIST_DIR}/${PAGEWICK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PAGEWICK_DIST_DIR}/${PAGEWICK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon in the hicolor theme; dist/draw-icons.sh renders the PNGs from the drawings.
install(FILES ${PAGEWICK_DIST_DIR}/icons/hicolor/scalable/apps/${PAGEWICK_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${PAGEWICK_DIST_DIR}/icons/hicolor/${size}x${size}/apps/${PAGEWICK_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Completion of pagewick-count's options and their values in bash, loaded when first needed.
install(FILES ${PAGEWICK_DIST_DIR}/completion/pagewick-count.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME pagewick-count)

# Manual pages and the package's changelog, compressed as Debian keeps them; gzip -n leaves out the
# name and time, so that two builds give the same bytes.
find_program(PAGEWICK_GZIP gzip REQUIRED)
function(pagewick_gzip source out)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${source}.gz
    COMMAND ${PAGEWICK_GZIP} -9 -n -k -f ${source}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(${out} ${source}.gz PARENT_SCOPE)
endfunction()

set(PAGEWICK_MANUAL_PAGES)
foreach(page pagewick pagewick-count)
  configure_file(${PAGEWICK_DIST_DIR}/man/${page}.1.in ${PAGEWICK_DIST_OUT}/man/${page}.1 @ONLY)
  pagewick_gzip(${PAGEWICK_DIST_OUT}/man/${page}.1 compressed)
  list(APPEND PAGEWICK_MANUAL_PAGES ${compressed})
endforeach()
configure_file(${PAGEWICK_DIST_DIR}/debian/changelog ${PAGEWICK_DIST_OUT}/doc/changelog.Debian COPYONLY)
pagewick_gzip(${PAGEWICK_DIST_OUT}/doc/changelog.Debian PAGEWICK_CHANGELOG)
add_custom_target(pagewick_dist_docs ALL DEPENDS ${PAGEWICK_MANUAL_PAGES} ${PAGEWICK_CHANGELOG})

install(FILES ${PAGEWICK_MANUAL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The documentation folder is named after the package, as Debian looks for it.
install(FILES ${PAGEWICK_DIST_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pagewick)

# The Debian package: `cpack` in the build directory writes pagewick_<version>-1_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pagewick)
set(CPACK_PACKAGE_VENDOR Quorbel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quorbel <${PAGEWICK_SUPPORT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count the pages of TIFF files, in a window or on the command line")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The package's own changelog and lintian's override belong to the Debian package only: cpack runs
# this script while it stages the package, `cmake --install` never does.
configure_file(${PAGEWICK_DIST_DIR}/debian/package-files.cmake.in ${PAGEWICK_DIST_OUT}/package-files.cmake @ONLY)
set(CPACK_INSTALL_SCRIPTS ${PAGEWICK_DIST_OUT}/package-files.cmake)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME pagewick)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quorbel <${PAGEWICK_SUPPORT_EMAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PAGEWICK_HOME_PAGE})
# Lines of at most 79 characters: the control file indents each by one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Pagewick counts the pages of TIFF image files, such as scanned documents and
faxes, by the thousand. Gather the files in its window by dropping them on it,
by scanning a folder or by loading a saved list: every file shows its size,
status, page count and times, with the total of pages below the list. The list
can be sorted, saved, and written as a CSV report or a text report.

pagewick-count counts from the command line and writes the same CSV report.")
# The libraries come from the binaries; what they load at run time does not show there: Qt's
# platform plugins (the window) and, with the help viewer, Qt's SQLite driver (the help collection).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
if(TARGET Qt6::Help)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6sql6-sqlite")
endif()
include(CPack)
