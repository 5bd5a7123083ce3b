# Windows resources of a program or DLL: the application icon, version information and, for
# programs, the manifest.
function(dessiscope_windows_resources target description)
    set(RC_NAME ${target})
    set(RC_DESCRIPTION "${description}")
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "SHARED_LIBRARY")
        set(RC_FILETYPE VFT_DLL)
        set(RC_EXTENSION dll)
        set(RC_MANIFEST "")
    else()
        set(RC_FILETYPE VFT_APP)
        set(RC_EXTENSION exe)
        set(RC_MANIFEST
            "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${PROJECT_SOURCE_DIR}/src/app/windows/dessiscope.manifest\"")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/src/app/windows/dessiscope.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
