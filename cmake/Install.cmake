# Where `cmake --install` puts the program and the files that make it part of
# the desktop, and the Debian package CPack builds from the same rules.

include(GNUInstallDirs)

# The PNG icons are drawn from the one SVG at build time, so that the sizes
# never drift from the scalable icon.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(ORVALE_ICON_SVG ${PROJECT_SOURCE_DIR}/data/icons/org.orvale.Orvale.svg)
set(ORVALE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(ORVALE_ICON_PNGS)
foreach(size IN LISTS ORVALE_ICON_SIZES)
  set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/org.orvale.Orvale.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${ORVALE_ICON_SVG}
    DEPENDS ${ORVALE_ICON_SVG}
    VERBATIM)
  list(APPEND ORVALE_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(orvale_icons ALL DEPENDS ${ORVALE_ICON_PNGS})

install(TARGETS orvale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/org.orvale.Orvale.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/org.orvale.Orvale.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORVALE_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/orvale.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/completions/orvale.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME orvale)
# zsh reads what the distribution's packages bring from vendor-completions and
# what is installed by hand from site-functions; which one is known only once
# the prefix is, at install time (CPack installs under its own).
install(CODE "set(orvale_zsh_completion \"${PROJECT_SOURCE_DIR}/data/completions/_orvale\")")
install(CODE [[
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(zsh_folder vendor-completions)
  else()
    set(zsh_folder site-functions)
  endif()
  file(INSTALL "${orvale_zsh_completion}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/zsh/${zsh_folder}")
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvale developers")
set(CPACK_PACKAGE_CONTACT "Orvale developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Save the arrangement of your windows and put them back")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvale saves the arrangement of your open application windows as named\n"
    "layouts and puts the windows back later: on demand, by a keyboard shortcut,\n"
    "or by itself when the connected displays change and settle. It runs on X11\n"
    "desktops, from the tray or from the command line.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvale developers")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its X11 platform plugin at run time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
