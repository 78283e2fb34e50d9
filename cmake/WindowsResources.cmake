# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# What Windows shows for each program: the logo as its icon, a version resource with the
# project's version and a manifest (resources/windows/). The icon is made from the logo by the
# icon tool, which has to run here: a cross build makes it for this machine as a project of
# its own. The installer uses the same icon.
enable_language(RC)

if(CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(host_tools ${CMAKE_BINARY_DIR}/host-tools)
    ExternalProject_Add(sigtelinje_host_tools
        SOURCE_DIR ${PROJECT_SOURCE_DIR}/packaging/host
        BINARY_DIR ${host_tools}
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${host_tools}/sigtelinje-makeicon
        # Its own build decides whether the tool is out of date.
        BUILD_ALWAYS TRUE
        EXCLUDE_FROM_ALL TRUE)
    set(makeicon ${host_tools}/sigtelinje-makeicon)
    set(makeicon_target sigtelinje_host_tools)
else()
    add_executable(sigtelinje-makeicon ${PROJECT_SOURCE_DIR}/packaging/makeicon.cpp)
    target_link_libraries(sigtelinje-makeicon PRIVATE Qt6::Gui)
    set(makeicon $<TARGET_FILE:sigtelinje-makeicon>)
    set(makeicon_target sigtelinje-makeicon)
endif()
set(SIGTELINJE_ICON ${CMAKE_BINARY_DIR}/sigtelinje.ico)
add_custom_command(OUTPUT ${SIGTELINJE_ICON}
    COMMAND ${makeicon} ${PROJECT_SOURCE_DIR}/resources/logo.png 16,24,32,48,256 ${SIGTELINJE_ICON}
    DEPENDS ${makeicon_target} ${PROJECT_SOURCE_DIR}/resources/logo.png
        ${PROJECT_SOURCE_DIR}/packaging/makeicon.cpp
    COMMENT "Making the Windows icon from the logo")
add_custom_target(sigtelinje_icon DEPENDS ${SIGTELINJE_ICON})

# Gives `target` its icon, version resource and manifest (window or console).
function(sigtelinje_windows_identity target description kind)
    set(manifest ${PROJECT_SOURCE_DIR}/resources/windows/${kind}.manifest)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/resources/windows/program.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${SIGTELINJE_ICON};${manifest}")
    add_dependencies(${target} sigtelinje_icon)
endfunction()
