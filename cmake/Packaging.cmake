# Install rules and the Debian package: the program, its data beside it, a launcher that starts it from the
# data's folder, the desktop entry and the hicolor icons; on Windows, the executable's desktop icon.
include(GNUInstallDirs)

set(Q47_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(Q47_INSTALL_COMPONENT q47)

# Relative to the prefix, so that the same tree works after `cmake --install --prefix`, `dpkg -i` or `dpkg -x`.
set(Q47_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/q47)
set(Q47_INSTALL_DATA_PARENT ${CMAKE_INSTALL_DATADIR}/q47)
set(Q47_INSTALL_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The desktop icon at each size the menu asks for, as PNG (hicolor wants PNG or SVG).
set(Q47_ICON_SIZES 16 32)
set(Q47_ICON_16 ${Q47_PACKAGING_DIR}/icons/q47-16.png)
set(Q47_ICON_32 ${Q47_PACKAGING_DIR}/icons/q47-32.png)
set(Q47_WINDOWS_ICON ${Q47_PACKAGING_DIR}/icons/q47.ico)

if(WIN32)
  # The resource script embeds the .ico as the executable's icon group.
  enable_language(RC)
  target_sources(q47 PRIVATE ${Q47_PACKAGING_DIR}/q47.rc)
  set_property(SOURCE ${Q47_PACKAGING_DIR}/q47.rc APPEND PROPERTY OBJECT_DEPENDS ${Q47_WINDOWS_ICON})
endif()

# The launcher knows the program and the data only by their paths relative to its own folder.
set(Q47_LAUNCHER_ABSOLUTE_BASE /q47-prefix)
file(RELATIVE_PATH Q47_LAUNCHER_TO_PROGRAM
  ${Q47_LAUNCHER_ABSOLUTE_BASE}/${CMAKE_INSTALL_BINDIR} ${Q47_LAUNCHER_ABSOLUTE_BASE}/${Q47_INSTALL_PROGRAM_DIR}/q47)
file(RELATIVE_PATH Q47_LAUNCHER_TO_DATA_PARENT
  ${Q47_LAUNCHER_ABSOLUTE_BASE}/${CMAKE_INSTALL_BINDIR} ${Q47_LAUNCHER_ABSOLUTE_BASE}/${Q47_INSTALL_DATA_PARENT})
configure_file(${Q47_PACKAGING_DIR}/q47-launcher.sh.in ${PROJECT_BINARY_DIR}/packaging/q47 @ONLY)

install(TARGETS q47 RUNTIME DESTINATION ${Q47_INSTALL_PROGRAM_DIR} COMPONENT ${Q47_INSTALL_COMPONENT})
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/q47 DESTINATION ${CMAKE_INSTALL_BINDIR}
  COMPONENT ${Q47_INSTALL_COMPONENT})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data DESTINATION ${Q47_INSTALL_DATA_PARENT}
  COMPONENT ${Q47_INSTALL_COMPONENT})
install(FILES ${Q47_PACKAGING_DIR}/q47.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  COMPONENT ${Q47_INSTALL_COMPONENT})
foreach(size ${Q47_ICON_SIZES})
  install(FILES ${Q47_ICON_${size}} DESTINATION ${Q47_INSTALL_ICON_DIR}/${size}x${size}/apps RENAME q47.png
    COMPONENT ${Q47_INSTALL_COMPONENT})
endforeach()

# cpack -G DEB from any configured build folder. Only the q47 component goes in, whatever else installs.
set(CPACK_PACKAGE_NAME q47)
set(CPACK_PACKAGE_VENDOR "the q47 developers")
set(CPACK_PACKAGE_CONTACT "q47 developers <q47@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quarter-view scrolling map demo on SDL 1.2")
set(CPACK_PACKAGE_DESCRIPTION
  "q47 generates a random strip map and shows it without end in quarter view, scrolling smoothly in a 320 x 240 window while a music track loops and a translucent panel shows two lines of Japanese text.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${Q47_INSTALL_COMPONENT};/")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Depends come from the libraries the program is really linked with (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
