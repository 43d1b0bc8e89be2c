# Fails when a program links a library it must not: qortool paints without
# windows, so the widgets library has no business in it.
#
#   cmake -DLINKS=<file> -DBINARY=<program> -DFORBIDDEN=<regex>
#         -P cmake/CheckLinkedLibraries.cmake
#
# Looks at both ends: the libraries the build links into the program
# (LINKS, written at configure time by qv_write_link_closure, so a widgets
# library that comes in through any linked target is caught even when the
# linker drops it for want of a used symbol) and the libraries the dynamic
# loader resolves for the built program (ldd). Prints the offending names
# and fails; fails too when either list cannot be read, so a missing file
# never passes.

cmake_minimum_required(VERSION 3.25)

if(NOT LINKS OR NOT BINARY OR NOT FORBIDDEN)
    message(FATAL_ERROR "CheckLinkedLibraries: LINKS, BINARY and FORBIDDEN must be set")
endif()
foreach(input IN ITEMS "${LINKS}" "${BINARY}")
    if(NOT EXISTS "${input}")
        message(FATAL_ERROR "CheckLinkedLibraries: ${input} does not exist")
    endif()
endforeach()

file(STRINGS "${LINKS}" linked)
if(NOT linked)
    message(FATAL_ERROR "CheckLinkedLibraries: ${LINKS} lists no library")
endif()

find_program(QV_LDD ldd REQUIRED)
execute_process(COMMAND ${QV_LDD} "${BINARY}"
    RESULT_VARIABLE status OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT listing MATCHES "libc\\.so")
    message(FATAL_ERROR "CheckLinkedLibraries: ldd cannot read ${BINARY}: ${errors}")
endif()
string(REPLACE "\n" ";" loaded "${listing}")

set(offending "")
foreach(line IN LISTS linked)
    if(line MATCHES "${FORBIDDEN}")
        list(APPEND offending "linked: ${line}")
    endif()
endforeach()
foreach(line IN LISTS loaded)
    if(line MATCHES "${FORBIDDEN}")
        string(STRIP "${line}" line)
        list(APPEND offending "loaded: ${line}")
    endif()
endforeach()

if(offending)
    list(JOIN offending "\n  " shown)
    message(FATAL_ERROR "${BINARY} has libraries it must not:\n  ${shown}")
endif()
list(LENGTH linked linkedCount)
list(LENGTH loaded loadedCount)
message(STATUS "${BINARY}: ${linkedCount} linked and ${loadedCount} loaded libraries, "
               "none matching ${FORBIDDEN}")
