#pragma once

// What the F-, S-, M- and P-function windows share: one function of a
// test's list shown at a time, stepped through with "<" and ">" (wrapping
// at both ends), edited on a snapshot of the list taken when the window
// opens: OK keeps the edits, Cancel (or closing) puts the list back.

#include "ui/functions/runprompt.h"

#include <QDialog>
#include <functional>
#include <string>

class QLayout;
class QLabel;
class QPushButton;

namespace qv::functions {

class FunctionWindow : public QDialog
{
    Q_OBJECT

public:
    // Notifications for a window that shows the functions beside this one
    // (the data-file-name window): 1 records about to be replaced, 2
    // records replaced, 3 a value edited.
    using Notify = std::function<void(int code)>;

    int ShownNumber() const { return m_number; } // 0 = the list is empty
    QPushButton *PreviousButton() const { return m_previous; }
    QPushButton *NextButton() const { return m_next; }

    void done(int result) override;

protected:
    FunctionWindow(QWidget *parent, Notify notify);

    // Lays the window out: "<", the title and ">" at the top, then
    // `content`, then OK, Cancel and the window's own `action` button
    // (none: null).
    void LayOut(QLayout *content, QPushButton *action);
    void SetTitle(const QString &title);
    // Applies `change` to the shown `function`, except while the fields are
    // being filled or while a run waits in a prompt (the operator is told
    // so), and shows the fields again.
    template <class Record, class Change>
    void ApplyEdit(Record *function, Change &&change)
    {
        if (function == nullptr || m_filling)
            return;
        if (!RefusedWhileRunPrompt()) {
            change(*function);
            NotifyEdited();
        }
        ShowFunction();
    }
    void NotifyEdited();

    // The list's Numbers(), its snapshot ends (keep: OK), and the fields
    // of the function m_number shown again.
    virtual std::string Numbers() const = 0;
    virtual void EndSnapshot(bool keep) = 0;
    virtual void ShowFunction() = 0;
    // The number shown first: `wanted` when listed, else the first.
    void StartAt(int wanted);

    int m_number = 0;
    bool m_filling = false;

private:
    void Step(int direction);

    Notify m_notify;
    QLabel *m_title = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
};

// A function window over one list of a test (TFuncF, TFuncS, TFuncM,
// TProg): the snapshot is taken on construction, the shown record is the
// list's record m_number.
template <class List>
class FunctionListWindow : public FunctionWindow
{
protected:
    FunctionListWindow(List &list, int number, QWidget *parent, Notify notify)
        : FunctionWindow(parent, std::move(notify))
        , m_list(list)
    {
        m_list.Snapshot();
        StartAt(number);
    }

    auto *Shown() const { return m_list.ByNumber(m_number); }
    std::string Numbers() const override { return m_list.Numbers(); }
    void EndSnapshot(bool keep) override
    {
        if (keep)
            m_list.DropSnapshot();
        else
            m_list.RestoreSnapshot();
    }

    List &m_list;
};

} // namespace qv::functions
