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

# The code under test is the libraries', built as the program ships it; the
# tests' own code is set-up and assertions, and optimising it took more than
# a third of a whole build for no speed the suite would notice.
set(QV_TEST_COMPILE_OPTIONS -O0)

# qv_test(name SOURCES ... LIBS ... [COST n]): COST starts the binary's
# suites before those of binaries without one, for a binary whose suites,
# one after another, take a good part of the whole suite's time: a fresh
# build has no measured times to order them by.
#
# A GoogleTest binary that ctest lists suite by suite ("ui_tests.Suite"), so
# that a failure names its suite, and the output its case. The suites are
# listed when ctest starts (cmake/GTestSuites.cmake), never at build time, so
# a build does not wait on a test binary. Suites of one binary never run at
# the same time: they share files beside the binary (settings, logs) as they
# did when the binary ran as one process; different binaries still run in
# parallel. Widget tests run offscreen.
function(qv_test name)
    cmake_parse_arguments(ARG "" "COST" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    qv_warnings(${name})
    target_compile_options(${name} PRIVATE ${QV_TEST_COMPILE_OPTIONS})
    # A test file is mostly the same headers and GoogleTest's templates:
    # compiled six to a unit they cost less than half. File-local helpers
    # must therefore have names of their own within one test binary.
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
    set(environment "QT_QPA_PLATFORM=offscreen;QORVIK_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    string(APPEND environment ";QORVIK_BINARY_DIR=${CMAKE_BINARY_DIR}")
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
    file(WRITE ${include_file}
        "set(QV_BINARY \"${CMAKE_BINARY_DIR}/tests/${name}\")\n"
        "set(QV_NAME ${name})\n"
        "set(QV_ENV \"${environment}\")\n"
        "set(QV_TIMEOUT 300)\n"
        "set(QV_COST \"${ARG_COST}\")\n"
        "include(\"${PROJECT_SOURCE_DIR}/cmake/GTestSuites.cmake\")\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
