#pragma once

// The generator-word window TfmGWord ("g-слово (name)": pulse generators,
// frequency settings and time delays) and the G-cycle window TfmFuncG
// ("G-цикл (name)"). Each steps through the numbers of its words in
// ascending order. A word of no known kind is an internal failure
// ("Неопределённое g-слово", "Неопределённый G-цикл") and shows nothing.

#include "ui/lists/listwindow.h"

namespace qv::lists {

class TfmGWord : public ListWindow
{
    Q_OBJECT

public:
    static constexpr int kWidth = 353;
    static constexpr int kDebugWidth = 413;

    TfmGWord(TQuorvik &doc, STest &test, int start, QWidget *parent = nullptr);

protected:
    void ShowItem() override;
};

class TfmFuncG : public ListWindow
{
    Q_OBJECT

public:
    TfmFuncG(TQuorvik &doc, STest &test, int start, QWidget *parent = nullptr);

protected:
    void ShowItem() override;
};

} // namespace qv::lists
