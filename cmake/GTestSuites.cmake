# Read by ctest (through TEST_INCLUDE_FILES) before it runs anything: lists
# the suites of one GoogleTest binary and registers one test per suite,
# "<binary>.<Suite>", running only that suite's cases. A failure then names
# its suite in ctest's summary and its case in the output, for the price of
# one process per suite rather than one per case.
#
# Expects: QV_BINARY (the test binary), QV_NAME (its target name), QV_ENV
# (the environment, a list), QV_TIMEOUT and QV_COST (empty: none).
if(NOT EXISTS "${QV_BINARY}")
    add_test("${QV_NAME}.NOT_BUILT" "${QV_BINARY}")
    return()
endif()
execute_process(COMMAND "${QV_BINARY}" --gtest_list_tests
    OUTPUT_VARIABLE listing
    ERROR_QUIET
    RESULT_VARIABLE status
    TIMEOUT 60)
if(NOT status EQUAL 0)
    # A binary that cannot even list its cases still runs, and fails, as one.
    add_test("${QV_NAME}" "${QV_BINARY}")
    set_tests_properties("${QV_NAME}" PROPERTIES ENVIRONMENT "${QV_ENV}" LABELS "${QV_NAME}")
    return()
endif()
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
    # Suite lines start in the first column and end with a dot; a typed or
    # parameterised suite carries a comment after it.
    if(line MATCHES "^([^ #][^ ]*)\\.")
        set(suite "${CMAKE_MATCH_1}")
        add_test("${QV_NAME}.${suite}" "${QV_BINARY}" "--gtest_filter=${suite}.*")
        set_tests_properties("${QV_NAME}.${suite}" PROPERTIES
            ENVIRONMENT "${QV_ENV}"
            RESOURCE_LOCK "${QV_NAME}"
            LABELS "${QV_NAME}"
            TIMEOUT "${QV_TIMEOUT}")
        if(QV_COST)
            set_tests_properties("${QV_NAME}.${suite}" PROPERTIES COST "${QV_COST}")
        endif()
    endif()
endforeach()
