# SPDX-License-Identifier: GPL-3.0-or-later
# Which part of the program may include which, run as a test:
#   cmake -DSOURCE_DIR=<checkout> -DWIDGETS_DIR=<the QtWidgets header folder> -P layering.cmake
# Each directory of the core may include from the directories listed for it, and none of them
# includes a Qt Widgets header: widgets belong to ui/ and to the program's entry point
# (app/main.cpp), which are not part of the core. ui/ may include the core and itself, but
# its folders (panels, dialogs, ...) do not include the main window that holds them. Each
# directory is checked with its subfolders.
cmake_minimum_required(VERSION 3.20)

set(allowed_common common)
set(allowed_modbus common modbus)
set(allowed_devicedata common modbus devicedata)
set(allowed_devicemonitor common modbus devicedata devicemonitor)
set(allowed_app common modbus app)
set(allowed_ui common modbus devicedata devicemonitor app ui)
set(allowed_cli common modbus devicedata devicemonitor app cli)

# Without the folder the widgets rule would pass whatever the core includes.
if(NOT IS_DIRECTORY "${WIDGETS_DIR}" OR NOT EXISTS "${WIDGETS_DIR}/QWidget")
    message(FATAL_ERROR "No Qt Widgets header folder given: WIDGETS_DIR='${WIDGETS_DIR}'")
endif()

set(violations "")
foreach(dir common modbus devicedata devicemonitor app ui cli)
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${dir}/*.h" "${SOURCE_DIR}/${dir}/*.cpp")
    list(REMOVE_ITEM sources "${SOURCE_DIR}/app/main.cpp")
    foreach(source IN LISTS sources)
        # Rules look at the path inside the checkout, whatever folders hold the checkout.
        file(RELATIVE_PATH path "${SOURCE_DIR}" "${source}")
        file(STRINGS "${source}" includes REGEX "^#include ")
        foreach(line IN LISTS includes)
            if(line MATCHES "^#include \"([a-z]+)/")
                if(NOT CMAKE_MATCH_1 IN_LIST allowed_${dir})
                    list(APPEND violations "${source}: ${line}")
                elseif(line MATCHES "\"ui/mainwindow\\.h\"" AND path MATCHES "^ui/[a-z]+/")
                    list(APPEND violations "${source}: ${line} (the main window)")
                endif()
            elseif(line MATCHES "^#include <([A-Za-z/]+)>" AND NOT dir STREQUAL "ui")
                if(EXISTS "${WIDGETS_DIR}/${CMAKE_MATCH_1}")
                    list(APPEND violations "${source}: ${line} (Qt Widgets)")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes across the layers:\n  ${text}")
endif()
