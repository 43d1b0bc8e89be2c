#pragma once

// The input-word window TfmIWord ("Входное слово (name)") and the
// output-word window TfmOWord ("Выходное слово (name)"): one word of the
// current test at a time, its value in every cycle and the current cycle's
// value bit by bit beside the contact of each bit. Both step through their
// words in list order.

#include "ui/lists/listwindow.h"

#include <optional>

namespace qv {

class TWord;
struct SWord;

namespace lists {

class TfmIWord : public ListWindow
{
    Q_OBJECT

public:
    static constexpr int kWidth = 392;
    static constexpr int kDebugWidth = 447;

    // Shows word `start` (the first word when the test has no such word).
    TfmIWord(TQuorvik &doc, STest &test, int start, QWidget *parent = nullptr);

protected:
    void ShowItem() override;
};

class TfmOWord : public ListWindow
{
    Q_OBJECT

public:
    static constexpr int kWidth = 482;
    static constexpr int kWaitWidth = 543;

    TfmOWord(TQuorvik &doc, STest &test, int start, QWidget *parent = nullptr);

protected:
    void ShowItem() override;

private:
    // The read value of a 0-based cycle when it may be shown.
    std::optional<std::int32_t> ReadValue(const SWord &word, int cycle) const;
};

// Value of a 0-based cycle: a constant word's single value in every cycle.
std::optional<std::int32_t> WordValue(const SWord &word, int cycle, bool run);
// Word numbers of a list in list order.
std::vector<int> WordIds(const TWord &list);

} // namespace lists
} // namespace qv
