# Precompiled headers: the standard and Qt headers nearly every file of a
# target pulls in are parsed once per target instead of once per file. Each
# set holds only what its layer may include (the model and the simulator
# no Qt, the execution layer and the painters no widgets), so a header
# against the layering still fails to compile. QUORVIK_PRECOMPILE=OFF
# builds without them (to check that every file includes what it uses).
option(QUORVIK_PRECOMPILE "Precompile the common standard and Qt headers" ON)

set(QV_PCH_STD
    <algorithm> <array> <chrono> <cstdint> <filesystem> <functional> <map>
    <memory> <mutex> <optional> <span> <string> <string_view> <vector>)
set(QV_PCH_CORE ${QV_PCH_STD}
    <QByteArray> <QList> <QObject> <QString> <QStringList> <QThread> <QTimer>)
set(QV_PCH_GUI ${QV_PCH_CORE} <QColor> <QFont> <QImage> <QPainter>)
set(QV_PCH_WIDGETS ${QV_PCH_CORE}
    <QApplication> <QComboBox> <QDialog> <QHBoxLayout> <QLabel> <QLineEdit>
    <QPainter> <QPushButton> <QTableWidget> <QVBoxLayout> <QWidget>)

set(QV_PCH_LIBS_STD "")
set(QV_PCH_LIBS_CORE Qt6::Core)
set(QV_PCH_LIBS_GUI Qt6::Gui)
set(QV_PCH_LIBS_WIDGETS Qt6::Widgets)

# qv_precompile(LAYER [TEST] TARGETS target...): LAYER is STD, CORE, GUI or
# WIDGETS; TEST adds GoogleTest (and QTest with WIDGETS).
#
# A set of several targets shares one header, built by a target of its own
# (qv_pch_<layer>[_test]) that links only what the whole set links: one
# precompiled header per set instead of one per target, which was a tenth
# of a whole build. The compiler takes a header only where every macro it
# was made with is defined alike, so its maker must not carry a target's
# own definitions (the test binaries' paths); and a set holds targets
# compiled alike (the same optimisation, position-independent code or not).
# A header it refuses shows as an "-Winvalid-pch" warning in the build.
function(qv_precompile layer)
    cmake_parse_arguments(ARG "TEST" "" "TARGETS" ${ARGN})
    if(NOT QUORVIK_PRECOMPILE)
        return()
    endif()
    set(headers ${QV_PCH_${layer}})
    set(libs ${QV_PCH_LIBS_${layer}})
    string(TOLOWER "qv_pch_${layer}" owner)
    if(ARG_TEST)
        list(APPEND headers <gtest/gtest.h>)
        list(APPEND libs GTest::gtest)
        if(layer STREQUAL "WIDGETS")
            list(APPEND headers <QTest>)
        endif()
        string(APPEND owner "_test")
    endif()
    set(targets "")
    foreach(target IN LISTS ARG_TARGETS)
        if(TARGET ${target})
            list(APPEND targets ${target})
        endif()
    endforeach()
    list(LENGTH targets count)
    if(count EQUAL 0)
        return()
    elseif(count EQUAL 1)
        target_precompile_headers(${targets} PRIVATE ${headers})
        return()
    endif()
    set(source ${CMAKE_BINARY_DIR}/precompiled/${owner}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "// Builds the precompiled header of its set.\n")
    add_library(${owner} OBJECT ${source})
    target_link_libraries(${owner} PRIVATE ${libs})
    qv_warnings(${owner}) # -Wpedantic changes which macros the compiler predefines
    if(ARG_TEST)
        target_compile_options(${owner} PRIVATE ${QV_TEST_COMPILE_OPTIONS})
    endif()
    target_precompile_headers(${owner} PRIVATE ${headers})
    foreach(target IN LISTS targets)
        target_precompile_headers(${target} REUSE_FROM ${owner})
    endforeach()
endfunction()
