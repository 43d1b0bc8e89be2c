# Lists the #include lines of the libraries under src/ and fails when two
# folders of one library include each other (model/file includes
# model/words and model/words includes model/file): inside a library the
# folders are layers too, and a pair that points both ways has none.
#
# A folder is the first level below a library (src/model/words); the files
# directly in a library's own folder belong to no folder and are left out.
# Only quoted includes that name a path inside the same library count.
#
#   cmake -DSOURCE_DIR=<checkout> -P cmake/CheckIncludePairs.cmake
#
# Prints every pair with one include line of each direction and fails; prints
# the number of folder edges it saw and succeeds otherwise.
#
# Pairs known and still to be broken would be listed here; the list is
# empty and should stay so. A pair on it that no longer occurs fails the
# check too, so that the list only shrinks.
set(qv_known_pairs "")

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckIncludePairs: SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE qv_sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.h"
     "${SOURCE_DIR}/src/*.cpp")
list(SORT qv_sources)
if(NOT qv_sources)
    message(FATAL_ERROR "CheckIncludePairs: no sources under ${SOURCE_DIR}/src")
endif()

set(qv_edges "")
foreach(source IN LISTS qv_sources)
    string(REPLACE "/" ";" parts "${source}")
    list(LENGTH parts depth)
    if(depth LESS 4) # src/<library>/<file>: in no folder
        continue()
    endif()
    list(GET parts 1 library)
    list(GET parts 2 folder)
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
        string(REPLACE "/" ";" target "${included}")
        list(LENGTH target targetDepth)
        if(targetDepth LESS 3)
            continue()
        endif()
        list(GET target 0 targetLibrary)
        list(GET target 1 targetFolder)
        if(NOT targetLibrary STREQUAL library OR targetFolder STREQUAL folder)
            continue()
        endif()
        set(edge "${library}/${folder}>${library}/${targetFolder}")
        string(MAKE_C_IDENTIFIER "qv_example_${edge}" key)
        if(NOT DEFINED ${key})
            set(${key} "${source}: #include \"${included}\"")
            list(APPEND qv_edges "${edge}")
        endif()
    endforeach()
endforeach()

set(qv_pairs "")
set(qv_seen_known "")
foreach(edge IN LISTS qv_edges)
    string(REPLACE ">" ";" ends "${edge}")
    list(GET ends 0 from)
    list(GET ends 1 to)
    string(MAKE_C_IDENTIFIER "qv_example_${edge}" forward)
    string(MAKE_C_IDENTIFIER "qv_example_${to}>${from}" backward)
    if(from STRLESS to AND DEFINED ${backward})
        set(pair "${from} <-> ${to}")
        if(pair IN_LIST qv_known_pairs)
            list(APPEND qv_seen_known "${pair}")
        else()
            list(APPEND qv_pairs "${pair}\n    ${${forward}}\n    ${${backward}}")
        endif()
    endif()
endforeach()

set(qv_gone "")
foreach(pair IN LISTS qv_known_pairs)
    if(NOT pair IN_LIST qv_seen_known)
        list(APPEND qv_gone "${pair}")
    endif()
endforeach()

list(LENGTH qv_edges edgeCount)
set(failures "")
if(qv_pairs)
    list(LENGTH qv_pairs pairCount)
    list(JOIN qv_pairs "\n  " text)
    string(APPEND failures "${pairCount} pair(s) of folders include each other:\n  ${text}\n")
endif()
if(qv_gone)
    list(JOIN qv_gone "\n  " text)
    string(APPEND failures "known pair(s) no longer found; take them off the list in "
                           "cmake/CheckIncludePairs.cmake:\n  ${text}\n")
endif()
if(failures)
    message(FATAL_ERROR "${failures}")
endif()
list(LENGTH qv_known_pairs knownCount)
if(knownCount)
    message(STATUS "Include pairs: ${edgeCount} folder edges, no new pair both ways "
                   "(${knownCount} known pairs still to be broken)")
else()
    message(STATUS "Include pairs: ${edgeCount} folder edges, no pair both ways")
endif()
