# Every target of ours builds with the same strict warning set; warnings are
# fixed in the code, never silenced here.
function(qv_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A library target of one folder (src/<folder> or sim). Its headers are
# reached as "<folder>/..." through an include directory that holds only that
# folder, so a target sees the headers of the libraries it links and no
# others: an include against the layering does not compile.
function(qv_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(include_root ${CMAKE_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${include_root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${include_root}/${folder} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${include_root})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    qv_warnings(${name})
endfunction()

# A GoogleTest binary registered with ctest; widget tests run offscreen.
function(qv_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    qv_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QORVIK_SOURCE_DIR=${CMAKE_SOURCE_DIR};QORVIK_BINARY_DIR=${CMAKE_BINARY_DIR}"
        TIMEOUT 300)
endfunction()
