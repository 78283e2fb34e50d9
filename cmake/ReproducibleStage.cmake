# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs a staged folder the same way every time, so that a package built twice from one commit
# is the same bytes (cmake -P, with STAGE, the folder to pack, and, for the portable zip, NAME,
# the folder inside STAGE to pack, and ZIP, the archive to write).
#
# Every file and folder gets the time SOURCE_DATE_EPOCH names, the last commit's (the Makefile
# sets it), in place of the time it was built: makensis stores each file's time in the
# installer, and a zip each entry's. Without SOURCE_DATE_EPOCH the times are left alone.
#
# The zip is written by Info-ZIP's zip in UTC, in sorted order and without its extra fields:
# CMake's own zip writer stores each file's access and change times and its owner, which no
# one can set. Where zip is missing (a native Windows build) CMake's writer is used.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    file(GLOB_RECURSE entries LIST_DIRECTORIES true "${STAGE}/*")
    find_program(TOUCH touch)
    if(TOUCH)
        execute_process(COMMAND ${TOUCH} -h -d "@$ENV{SOURCE_DATE_EPOCH}" "${STAGE}" ${entries}
            COMMAND_ERROR_IS_FATAL ANY)
    else()
        message(WARNING "no touch: the package keeps the build's file times")
    endif()
endif()

if(NOT DEFINED ZIP)
    return()
endif()
file(GLOB_RECURSE entries RELATIVE "${STAGE}" LIST_DIRECTORIES true "${STAGE}/${NAME}/*")
list(APPEND entries "${NAME}")
list(SORT entries)
list(JOIN entries "\n" listing)
file(WRITE "${STAGE}.list" "${listing}\n")
file(REMOVE "${ZIP}")
find_program(INFOZIP zip)
if(INFOZIP)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${INFOZIP} -q -X -@ "${ZIP}"
        INPUT_FILE "${STAGE}.list" WORKING_DIRECTORY "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)
else()
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip
        "--files-from=${STAGE}.list" WORKING_DIRECTORY "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)
endif()
