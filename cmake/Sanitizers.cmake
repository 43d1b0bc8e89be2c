# Instrumented builds, each in a build folder of its own (scripts/test
# --sanitize=...). The default build stays uninstrumented.
#
# QUORVIK_SANITIZE: a comma-separated list for -fsanitize= ("address,undefined"
# or "thread"); every target of ours is built with it, and any finding ends
# the process with a failure (no recovery after undefined behaviour).
set(QUORVIK_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined")

if(QUORVIK_SANITIZE)
    add_compile_options(-fsanitize=${QUORVIK_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${QUORVIK_SANITIZE})
    if(QUORVIK_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
