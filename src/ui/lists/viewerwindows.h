#pragma once

// The small viewers of the main window: the data buses (TfmTyreData, one
// bus at a time with the names of its contacts), the test list
// (TfmTestInfo, "Список тестов:", which selects a test as a tab click would)
// and the contact file (TfmCnt, "Файл контактов CNT": the adapter's contact
// names in rows of 32).

#include "ui/lists/listwindow.h"

#include <vector>

class QListWidget;
class QTableWidget;

namespace qv::lists {

class TfmTyreData : public ListWindow
{
    Q_OBJECT

public:
    // start: the bus number shown first, 1-based.
    TfmTyreData(TQuorvik &doc, STest &test, int start, QWidget *parent = nullptr);

protected:
    void ShowItem() override;
};

class TfmTestInfo : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kAllTests = -1;

    // current: the 0-based current test, kAllTests for "все".
    TfmTestInfo(const TQuorvik &doc, int current, QWidget *parent = nullptr);

    QListWidget *Tests() const { return m_tests; }
    // The chosen test, 0-based, or kAllTests.
    int Chosen() const;

private:
    QListWidget *m_tests = nullptr;
};

class TfmCnt : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kColumns = 32;

    // dosUnit: the unit has 192 contacts in six rows, else 96 in three.
    // suspects: contacts (1..192) the diagnosis points to, shown on yellow.
    TfmCnt(const TQuorvik &doc, bool dosUnit, QWidget *parent = nullptr,
           const std::vector<int> &suspects = {});

    QTableWidget *Grid() const { return m_grid; }

private:
    QTableWidget *m_grid = nullptr;
};

} // namespace qv::lists
