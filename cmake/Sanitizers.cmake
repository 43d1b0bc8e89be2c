# Instrumented builds, each in a build folder of its own (scripts/test
# --sanitize=..., scripts/fuzz). The default build stays uninstrumented.
#
# QUORVIK_SANITIZE: a comma-separated list for -fsanitize= ("address,undefined"
# or "thread"); every target of ours is built with it, and any finding ends
# the process with a failure (no recovery after undefined behaviour).
#
# QUORVIK_FUZZ: the libFuzzer targets of fuzz/ (clang only), every library
# instrumented for coverage, addresses and undefined behaviour.
set(QUORVIK_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined")
option(QUORVIK_FUZZ "Build the libFuzzer targets of fuzz/ (clang)" OFF)

if(QUORVIK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QUORVIK_FUZZ needs clang (CXX=clang++-16)")
    endif()
    set(QUORVIK_SANITIZE "address,undefined")
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(QUORVIK_SANITIZE)
    add_compile_options(-fsanitize=${QUORVIK_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${QUORVIK_SANITIZE})
    if(QUORVIK_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
    # Every program starts its children as a plain fork under TSan (see the
    # source); the targets defined from here on all take it.
    if(QUORVIK_SANITIZE MATCHES "thread")
        add_library(qv_tsan_spawn OBJECT ${CMAKE_CURRENT_LIST_DIR}/tsanspawn.cpp)
        link_libraries(qv_tsan_spawn)
    endif()
endif()
