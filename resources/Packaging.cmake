# Installation of the desktop integration, and the Debian package (cpack -G DEB); on Windows
# a zip (cpack -G ZIP). The program itself is installed where it is defined (main_window/).

get_target_property(_kalvex_icon_dir kalvex_resources KALVEX_ICON_DIR)
get_target_property(_kalvex_icon_sizes kalvex_resources KALVEX_ICON_SIZES)
get_target_property(_kalvex_desktop_file kalvex_resources KALVEX_DESKTOP_FILE)
get_target_property(_kalvex_metainfo_file kalvex_resources KALVEX_METAINFO_FILE)

if(UNIX AND NOT APPLE)
  install(FILES ${_kalvex_desktop_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_kalvex_metainfo_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The icon theme finds the icon by the name the desktop entry gives: the application id.
  foreach(_size IN LISTS _kalvex_icon_sizes)
    install(FILES ${_kalvex_icon_dir}/kalvex-${_size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME ${KALVEX_APP_ID}.png)
  endforeach()
  install(FILES ${_kalvex_icon_dir}/kalvex.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${KALVEX_APP_ID}.svg)
endif()

if(WIN32)
  # Kalvex.exe in a folder named after the version; the runtime is linked in, so nothing else.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Kalvex)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_VENDOR "${KALVEX_COMPANY_NAME}")
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${KALVEX_COMPANY_NAME}")
set(CPACK_PACKAGE_CONTACT "${KALVEX_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Kalvex writes fixed text, such as the HTML part of a servlet, an ASP page or a
JSP page, out as lines of program source: every line wrapped in a head and a
tail of your choice, with quotation marks and backslashes escaped in the style
of C and Java or of VB and ASP.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${KALVEX_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# Library dependencies come from dpkg-shlibdeps; Qt's platform plugins are loaded at run
# time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# A Japanese font with the metrics the windows are laid out for; the toolkit's own words
# (its context menus) in Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")
include(CPack)
