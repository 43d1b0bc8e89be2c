#pragma once

// The comment window "Комментарии" (form fmComment): modeless, one instance
// that the main window keeps. "Комментарий к:" lists the file's comment and
// the tests that have one; the text is read-only unless editing is allowed
// (the setting "Разрешить изменять комментарии к тесту/файлу"); "Сохранить"
// writes the comment file.

#include <QDialog>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class TQuorvik;

class TfmComment : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kFileSlot = 0; // slot n > 0 = test n

    // The document must outlive the window.
    explicit TfmComment(TQuorvik &document, QWidget *parent = nullptr);

    // With editing allowed every slot is listed, so that a comment can be
    // written where there was none.
    void SetEditable(bool editable);
    bool Editable() const { return m_editable; }
    // Lists the comments again and shows slot `slot` (the first listed one
    // when that slot is not listed).
    void ShowSlot(int slot);
    // Forgets what was shown (the document is about to be reset).
    void Forget();
    // The slot shown; -1 = none.
    int CurrentSlot() const;
    QString Text() const;

    QComboBox *SlotList() const { return m_slots; }
    QPlainTextEdit *Editor() const { return m_text; }
    QPushButton *SaveButton() const { return m_save; }

    // Whether slot `slot` of the document holds a comment.
    static bool HasComment(const TQuorvik &document, int slot);

private:
    void FillList();
    void TakeEdits();
    void ShowSelected();
    void Save();

    TQuorvik &m_document;
    bool m_editable = false;
    int m_shownSlot = -1;
    QComboBox *m_slots = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace qv
