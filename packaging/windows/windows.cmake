# The Windows distribution: `make package-windows` writes into build-windows/
#   Dessiscope-<version>-win64-setup.exe     the installer (NSIS, French and English)
#   Dessiscope-<version>-win64-portable.zip  the same files, to unpack anywhere
# Everything the programs load lies beside them: the Qt DLLs and plugins, Qt's French texts, the
# mingw-w64 runtime. Installed into the top of the prefix, as a Windows program folder is.

install(TARGETS dessiscope dessiscope-thumbnail RUNTIME DESTINATION .)
install(TARGETS dessiscope-thumbs RUNTIME DESTINATION . LIBRARY DESTINATION .)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network RUNTIME DESTINATION .)
foreach(plugin_dir_target IN ITEMS "platforms;Qt6::QWindowsIntegrationPlugin" "styles;Qt6::QWindowsVistaStylePlugin"
                                   "imageformats;Qt6::QGifPlugin" "imageformats;Qt6::QICOPlugin"
                                   "tls;Qt6::QSchannelBackendPlugin")
    list(GET plugin_dir_target 0 plugin_dir)
    list(GET plugin_dir_target 1 plugin_target)
    install(FILES $<TARGET_FILE:${plugin_target}> DESTINATION ${plugin_dir})
endforeach()
foreach(runtime IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime} OUTPUT_VARIABLE runtime_path
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(runtime_path "${runtime_path}" REALPATH)
    if(NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "mingw-w64 runtime ${runtime} not found")
    endif()
    install(FILES "${runtime_path}" DESTINATION .)
endforeach()
# Qt's own French texts (the standard buttons), the same release as the Qt built for Windows.
find_file(DESSISCOPE_QTBASE_FR qtbase_fr.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${DESSISCOPE_QTBASE_FR} DESTINATION translations)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf DESTINATION .)

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_NAME Dessiscope)
set(CPACK_PACKAGE_VENDOR "Dessiscope")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Dessiscope)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME "Dessiscope-${PROJECT_VERSION}-win64")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-per-generator.cmake)
# The installer's list of its own files, made from what was staged.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/nsis-file-list.cmake)
# Our own installer script (NSIS.template.in here): per-user or per-machine, log-on entry,
# thumbnail handler; CPack fills in the files.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/src/app/pictures/dessiscope.ico)
set(DESSISCOPE_THUMBS_CLSID "{6F2B7C3E-8A4D-4E1B-9C5F-2D7A1E3B4C60}")
set(CPACK_NSIS_DESSISCOPE_CLSID ${DESSISCOPE_THUMBS_CLSID})
include(CPack)
