# What `cmake --install` lays down on Linux, below any prefix: the two programs in bin/; the
# desktop entry, the icons, the AppStream metainfo and the manual page of the window program; the
# manual page of clashwick-scan; the copyright file and the Debian changelog in
# share/doc/clashwick; lintian's overrides; and share/clashwick/installed, the marker by which an
# installed program knows to keep its own files in the user's data folder
# (src/platform/wine/InstalledProgram.h). Tests, benchmarks and the sample-game maker are not
# installed.

include(GNUInstallDirs)

# Software centres' links; placeholders until the product has a web site, like the support address.
set(CLASHWICK_HOMEPAGE_URL "https://clashwick.invalid" CACHE STRING "Home page in the package and the metainfo")
set(CLASHWICK_SCREENSHOT_URL "https://clashwick.invalid/screenshot.png" CACHE STRING
    "Address of docs/screenshot.png as published, for the metainfo")

install(TARGETS clashwick-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/installed DESTINATION ${CMAKE_INSTALL_DATADIR}/clashwick)
install(FILES data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/clashwick)

# The manual pages, and the Debian changelog, compressed as Debian keeps them (-n: no name or
# time stamp, so the same text always gives the same bytes).
function(clashwick_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  set(copy ${PROJECT_BINARY_DIR}/data/${name})
  add_custom_command(
    OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  add_custom_target(clashwick-gzip-${name} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

clashwick_install_gzipped(${PROJECT_SOURCE_DIR}/docs/clashwick-scan.1 ${CMAKE_INSTALL_MANDIR}/man1)

# The package's changelog (data/changelog.Debian); its newest entry must be this version's, as
# the package's version is (cmake/Packaging.cmake).
set(CLASHWICK_DEBIAN_RELEASE 1 CACHE STRING "The Debian revision of the package: <version>-<revision>")
file(STRINGS data/changelog.Debian changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^clashwick \\(${PROJECT_VERSION}-${CLASHWICK_DEBIAN_RELEASE}\\) ")
  message(FATAL_ERROR "data/changelog.Debian starts with '${changelog_top}', not with the entry of "
                      "clashwick ${PROJECT_VERSION}-${CLASHWICK_DEBIAN_RELEASE}")
endif()
clashwick_install_gzipped(${PROJECT_SOURCE_DIR}/data/changelog.Debian ${CMAKE_INSTALL_DATADIR}/doc/clashwick)
# What lintian is told to pass over in the package, each with its reason.
install(FILES data/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME clashwick)

if(TARGET clashwick)
  install(TARGETS clashwick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  clashwick_install_gzipped(${PROJECT_SOURCE_DIR}/docs/clashwick.1 ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES data/${CLASHWICK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  configure_file(data/${CLASHWICK_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/data/${CLASHWICK_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/data/${CLASHWICK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  set(icon_svg ${PROJECT_SOURCE_DIR}/data/icons/${CLASHWICK_APP_ID}.svg)
  install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # The 256-pixel picture is drawn from the SVG at build time (librsvg2-bin, from scripts/install-deps).
  find_program(CLASHWICK_RSVG_CONVERT rsvg-convert)
  if(CLASHWICK_RSVG_CONVERT)
    set(icon_png ${PROJECT_BINARY_DIR}/data/icons/256x256/${CLASHWICK_APP_ID}.png)
    add_custom_command(
      OUTPUT ${icon_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/data/icons/256x256
      COMMAND ${CLASHWICK_RSVG_CONVERT} --width 256 --height 256 --output ${icon_png} ${icon_svg}
      DEPENDS ${icon_svg}
      COMMENT "Drawing the 256-pixel icon")
    add_custom_target(clashwick-icon ALL DEPENDS ${icon_png})
    install(FILES ${icon_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  else()
    message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): the install has no 256-pixel icon")
  endif()
endif()
