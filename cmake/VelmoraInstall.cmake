# Installation as a Linux desktop expects it, and the Debian package built from it.
#
# The program finds its settings pages beside its own executable, so the executables live
# together with the pages in a private folder (lib/velmora) and bin holds links to them. The
# program resolves its own path through the link, so the pages are found wherever the link is.
include(GNUInstallDirs)

# Not the multiarch library folder: it holds the program, not libraries.
set(VELMORA_PRIVATE_DIR lib/velmora)

install(TARGETS velmora velmora-cli RUNTIME DESTINATION ${VELMORA_PRIVATE_DIR})
# What the build copies beside the program is exactly what is installed beside it.
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/webcontents/
        DESTINATION ${VELMORA_PRIVATE_DIR}/webcontents)
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/manual/
        DESTINATION ${VELMORA_PRIVATE_DIR}/manual)

# velmora_install_bin_link(NAME): bin/NAME pointing at the private folder's executable.
function(velmora_install_bin_link name)
  file(RELATIVE_PATH target /${CMAKE_INSTALL_BINDIR} /${VELMORA_PRIVATE_DIR}/${name})
  set(link ${CMAKE_CURRENT_BINARY_DIR}/links/${name})
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/links)
  execute_process(COMMAND ${CMAKE_COMMAND} -E create_symlink ${target} ${link})
  install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
velmora_install_bin_link(velmora)
velmora_install_bin_link(velmora-cli)

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/velmora-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME velmora.xml)
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/appIcon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME velmora.svg)
# The project file type gets the program's icon too.
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/appIcon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
        RENAME application-x-velmora-project.svg)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <dev@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set up networked ZEPH-2208 digital mixers as one project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The shared-library dependencies are read off the executables; the web engine's helper
# process and its resources are not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(VELMORA_QT_MAJOR EQUAL 6)
  # The SVG plugins draw every icon; Debian 13 packs them apart, Debian 12 inside libqt6svg6.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6webenginecore6-bin, libqt6webengine6-data, libqt6svg6, qt6-svg-plugins | libqt6svg6 (<< 6.5)")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5webengine5, libqt5webengine-data (>= 5.15), libqt5svg5")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_STRIP_FILES ON)
include(CPack)
