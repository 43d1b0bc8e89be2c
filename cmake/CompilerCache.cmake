# A compiler cache makes a rebuild after `git pull` or a fresh build folder
# cheap when the machine has ccache; it is never required (QUORVIK_CCACHE=OFF
# builds without it). An explicit CMAKE_CXX_COMPILER_LAUNCHER is kept.
#
# With precompiled headers the cache must be told that it may hash the
# header's text instead of its time stamps and that __DATE__ may be reused:
# without that every file using a precompiled header is "uncacheable". The
# price is the about box's build date, which then tells when its file was
# last compiled rather than when the program was last linked.
option(QUORVIK_CCACHE "Use ccache when it is installed" ON)

set(QV_CCACHE_SLOPPINESS pch_defines,time_macros,include_file_mtime,include_file_ctime)
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache$")
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
        CCACHE_SLOPPINESS=${QV_CCACHE_SLOPPINESS} ${CMAKE_CXX_COMPILER_LAUNCHER})
elseif(QUORVIK_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    find_program(QUORVIK_CCACHE_PROGRAM ccache)
    if(QUORVIK_CCACHE_PROGRAM)
        set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
            CCACHE_SLOPPINESS=${QV_CCACHE_SLOPPINESS} ${QUORVIK_CCACHE_PROGRAM})
    endif()
endif()
