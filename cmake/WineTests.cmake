# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The tests of a Windows cross build run under Wine: each through tests/common/wine-run.sh,
# in one prefix inside the build tree that the first test of every run creates afresh,
# one test at a time because they share it.
find_program(WINE wine REQUIRED)
find_program(XVFB Xvfb REQUIRED)

set(SIGTELINJE_WINE_RUN ${PROJECT_SOURCE_DIR}/tests/common/wine-run.sh)
set(SIGTELINJE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# Test binaries live outside the deployed bin/: they find Qt and the MinGW runtime
# where the build found them, and the plugins in Qt's own folder.
set(wine_dll_dirs)
foreach(dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(path "${path}" REALPATH)
    get_filename_component(dir "${path}" DIRECTORY)
    list(APPEND wine_dll_dirs ${dir})
endforeach()
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin_dir "${qt_core_dll}" DIRECTORY)
get_filename_component(qt_plugin_dir "${qt_bin_dir}/../plugins" ABSOLUTE)
string(REPLACE "/" "\\\\" qt_plugin_dir_windows "Z:${qt_plugin_dir}")
list(PREPEND wine_dll_dirs ${qt_bin_dir})
string(REPLACE ";" ":" wine_dll_dirs "${wine_dll_dirs}")

set(SIGTELINJE_WINE_ENVIRONMENT
    "WINEPREFIX=${SIGTELINJE_WINEPREFIX}"
    "SIGTELINJE_WINE_DLL_DIRS=${wine_dll_dirs}"
    "QT_PLUGIN_PATH=${qt_plugin_dir_windows}"
    "QT_QPA_PLATFORM=windows"
    # The network share the prefix maps (wine-run.sh --prefix).
    "SIGTELINJE_TEST_SHARE=//landmaaler/gsi")

add_test(NAME wine_prefix COMMAND ${SIGTELINJE_WINE_RUN} --prefix)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wine TIMEOUT 300
    ENVIRONMENT "WINEPREFIX=${SIGTELINJE_WINEPREFIX}")

# Marks a test as one that runs under Wine.
function(sigtelinje_wine_test name)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine
        ENVIRONMENT "${SIGTELINJE_WINE_ENVIRONMENT}")
endfunction()
