# The Debian package: `make package` writes dessiscope_<version>_<arch>.deb into build/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dessiscope)
set(CPACK_PACKAGE_VENDOR "Dessiscope")
set(CPACK_PACKAGE_CONTACT "Dessiscope <contact@dessiscope.fr>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browse CAD drawings, slides and slide libraries with previews")
set(CPACK_PACKAGE_DESCRIPTION "A tray tool whose window browses drives and folders for CAD drawings\n\
(.dwg), slides (.sld) and slide libraries (.slb) and shows each file's\n\
size, dates and preview. It also gives file managers thumbnails of the\n\
three kinds of file.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.dessiscope.fr/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins are loaded at run time, so the library scan cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# qt6-wayland: a native window in Wayland sessions (without it Qt falls back to XWayland).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/postinst;${CMAKE_CURRENT_LIST_DIR}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian wants a copyright file and a compressed changelog in the documentation folder.
add_custom_command(OUTPUT changelog.gz COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > changelog.gz
                   DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dessiscope)
include(CPack)
