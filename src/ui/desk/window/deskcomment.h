#pragma once

// The main window's comment window: made on first use, shown on the file's
// or a test's comment, closed and forgotten when another file opens; its
// place is kept in the window placements whenever it hides. The window's
// document and settings store outlive this object (a child of the window).

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace qv {

class SettingsStore;
class TfmComment;
class TQuorvik;

namespace desk {

class DeskComment : public QObject
{
public:
    // editable: whether the operator may edit comments now (an option of
    // the document's display block).
    DeskComment(QWidget &window, TQuorvik &document, SettingsStore &store,
                std::function<bool()> editable);

    TfmComment *Window() const { return m_comment; } // null until first shown
    // Creates the window once, shows slot `slot` (0 the file, n test n) and
    // brings it to the front.
    TfmComment &Show(int slot);
    void Close();
    // Before another file: closed, its texts dropped.
    void CloseAndForget();
    // After the settings changed.
    void UpdateEditable();
    // Into the window placements, when it has been shown.
    void SavePlacement();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    TQuorvik &m_document;
    SettingsStore &m_store;
    std::function<bool()> m_editable;
    QPointer<TfmComment> m_comment;
};

} // namespace desk
} // namespace qv
