# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages (`make windows-package`): the install rules stage the programs
# with everything deployed beside them, and target windows_installer packs that folder
# with makensis into packages/Sigtelinje-<version>-setup.exe, target windows_portable
# into packages/Sigtelinje-<version>-win64-portable.zip.
# The portable zip: the deployed bin/ with the licence files, in one folder named after
# the release, to be unpacked anywhere and run from there.
set(portable Sigtelinje-${PROJECT_VERSION}-win64-portable)
set(portable_stage ${CMAKE_CURRENT_BINARY_DIR}/portable)
add_custom_target(windows_portable
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${portable_stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${portable_stage} --strip
    COMMAND ${CMAKE_COMMAND} -E rename ${portable_stage}/bin ${portable_stage}/${portable}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${portable_stage} -DNAME=${portable}
            -DZIP=${CMAKE_BINARY_DIR}/packages/${portable}.zip
            -P ${PROJECT_SOURCE_DIR}/cmake/ReproducibleStage.cmake
    COMMENT "Packing the portable zip"
    VERBATIM)
add_dependencies(windows_portable sigtelinje sigtelinje-editor sigtelinje-convert sigtelinje-road)

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
    message(STATUS "makensis not found: no Windows installer (tools/install-deps.sh installs nsis)")
    return()
endif()

set(stage ${CMAKE_CURRENT_BINARY_DIR}/stage)
# The icon is the programs' own, made from the logo (cmake/WindowsResources.cmake). The installer
# installs it too, with its file time: it is packed from the staging folder, beside bin/, where it
# gets the commit's time like every staged file, and not from where it was made, at build time.
set(icon ${stage}/sigtelinje.ico)

set(file_list ${CMAKE_CURRENT_BINARY_DIR}/files.nsh)
add_custom_target(windows_installer
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${stage} --strip
    COMMAND ${CMAKE_COMMAND} -E copy ${SIGTELINJE_ICON} ${icon}
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -P ${PROJECT_SOURCE_DIR}/cmake/ReproducibleStage.cmake
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage}/bin -DOUT=${file_list}
            -P ${PROJECT_SOURCE_DIR}/cmake/NsisFileList.cmake
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packages
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DFILES=${file_list} -DICON=${icon}
            -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSES/GPL-3.0-or-later.txt
            -DOUTFILE=${CMAKE_BINARY_DIR}/packages/Sigtelinje-${PROJECT_VERSION}-setup.exe
            ${CMAKE_CURRENT_SOURCE_DIR}/sigtelinje.nsi
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sigtelinje.nsi
    COMMENT "Building the Windows installer with makensis"
    VERBATIM)
add_dependencies(windows_installer sigtelinje sigtelinje-editor sigtelinje-convert sigtelinje-road
    sigtelinje_icon)
