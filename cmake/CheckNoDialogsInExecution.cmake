# Fails when the execution layer (src/execution) opens a dialog itself: a
# call of the application's message box, its flags, a widget message box or
# the port's old "show the error" entries. What that layer has to tell the
# operator goes to a notice sink (infra/notice.h) the caller hands down; the
# windows, the command-line tool or a test decide how it is shown.
#
#   cmake -DSOURCE_DIR=<checkout> -P cmake/CheckNoDialogsInExecution.cmake
#
# Prints every offending line (path:line: text) and fails; prints the number
# of files it read and succeeds otherwise.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckNoDialogsInExecution: SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE qv_sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/execution/*.h"
     "${SOURCE_DIR}/src/execution/*.cpp")
list(SORT qv_sources)
if(NOT qv_sources)
    message(FATAL_ERROR "CheckNoDialogsInExecution: no sources under ${SOURCE_DIR}/src/execution")
endif()

# Words that only a dialog's caller needs.
set(qv_dialog_words "Mesbo|mesbo\\.h|ShowError|QMessageBox|QDialog|Mb(Error|Warning|Information|Question|Yes|No|Ok|Cancel|Retry)[A-Za-z]*")

set(qv_found "")
foreach(source IN LISTS qv_sources)
    # One list item per line: the list separator and the brackets (which
    # would hold list items together) become neutral marks first.
    file(READ "${SOURCE_DIR}/${source}" content)
    string(REPLACE ";" "<semicolon>" content "${content}")
    string(REPLACE "[" "<" content "${content}")
    string(REPLACE "]" ">" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "(^|[^A-Za-z0-9_])(${qv_dialog_words})([^A-Za-z0-9_]|$)")
            string(STRIP "${line}" text)
            list(APPEND qv_found "${source}:${number}: ${text}")
        endif()
    endforeach()
endforeach()

if(qv_found)
    list(LENGTH qv_found count)
    list(JOIN qv_found "\n  " text)
    string(REPLACE "<semicolon>" ";" text "${text}")
    message(FATAL_ERROR "${count} line(s) of src/execution show a dialog or name one; "
                        "tell a notice sink instead:\n  ${text}\n")
endif()
list(LENGTH qv_sources fileCount)
message(STATUS "No dialogs in execution: ${fileCount} files read")
