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

# qv_precompile(LAYER target...): LAYER is STD, CORE, GUI or WIDGETS; TEST
# adds GoogleTest (and QTest with WIDGETS).
function(qv_precompile layer)
    cmake_parse_arguments(ARG "TEST" "" "TARGETS" ${ARGN})
    if(NOT QUORVIK_PRECOMPILE)
        return()
    endif()
    set(headers ${QV_PCH_${layer}})
    if(ARG_TEST)
        list(APPEND headers <gtest/gtest.h>)
        if(layer STREQUAL "WIDGETS")
            list(APPEND headers <QTest>)
        endif()
    endif()
    foreach(target IN LISTS ARG_TARGETS)
        if(TARGET ${target})
            target_precompile_headers(${target} PRIVATE ${headers})
        endif()
    endforeach()
endfunction()
