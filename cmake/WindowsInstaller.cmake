# The Windows installer (target windows_installer, `make windows-package`): the install
# rules stage the programs with everything deployed beside them, and makensis packs
# that folder into packages/Sigtelinje-<version>-setup.exe.
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
    message(STATUS "makensis not found: no Windows installer (tools/install-deps.sh installs nsis)")
    return()
endif()

# The icon is the programs' own, made from the logo (cmake/WindowsResources.cmake).
set(icon ${SIGTELINJE_ICON})

set(stage ${CMAKE_CURRENT_BINARY_DIR}/stage)
set(file_list ${CMAKE_CURRENT_BINARY_DIR}/files.nsh)
add_custom_target(windows_installer
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage} --strip
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage}/bin -DOUT=${file_list}
            -P ${PROJECT_SOURCE_DIR}/cmake/NsisFileList.cmake
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${file_list} -DICON=${icon}
            -DOUTFILE=${CMAKE_BINARY_DIR}/packages/Sigtelinje-${PROJECT_VERSION}-setup.exe
            ${CMAKE_CURRENT_SOURCE_DIR}/sigtelinje.nsi
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sigtelinje.nsi
    COMMENT "Building the Windows installer with makensis"
    VERBATIM)
add_dependencies(windows_installer sigtelinje sigtelinje-editor sigtelinje-convert sigtelinje_icon)
