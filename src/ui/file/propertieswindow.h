#pragma once

// TfmFileProperties ("Свойства файла"): what is known of the open test file
// and its contact file, read-only: dates, title, author, version and the two
// access restrictions. Without an open test file only the contact file's
// group is shown and the window shrinks to fit.

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace qv {
struct SCnt;
struct SQor;
} // namespace qv

namespace qv::file {

class TfmFileProperties : public QDialog
{
    Q_OBJECT

public:
    // doc: the open test file, null when none is open; flags: its access flags.
    TfmFileProperties(const SQor *doc, const SCnt &cnt, std::uint8_t flags,
                      QWidget *parent = nullptr);

    QGroupBox *TestFileGroup() const { return m_testGroup; }
    QLineEdit *TitleField() const { return m_title; }
    QLineEdit *AuthorField() const { return m_author; }
    QLabel *CreatedLabel() const { return m_created; }
    QLabel *CntCreatedLabel() const { return m_cntCreated; }
    QCheckBox *ReadRestricted() const { return m_read; }
    QCheckBox *WriteRestricted() const { return m_write; }

private:
    QGroupBox *m_testGroup = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_author = nullptr;
    QLabel *m_created = nullptr;
    QLabel *m_cntCreated = nullptr;
    QCheckBox *m_read = nullptr;
    QCheckBox *m_write = nullptr;
};

} // namespace qv::file
