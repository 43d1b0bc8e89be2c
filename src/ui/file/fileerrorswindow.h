#pragma once

// TfmFileErrors ("Журнал ошибок"): the errors the test editor left in a test
// file, under their heading, one line of the log per row.

#include <QDialog>
#include <string>

class QListWidget;

namespace qv::file {

class TfmFileErrors : public QDialog
{
    Q_OBJECT

public:
    TfmFileErrors(const std::string &heading, const std::string &log, QWidget *parent = nullptr);

    QListWidget *Lines() const { return m_lines; }

private:
    QListWidget *m_lines = nullptr;
};

} // namespace qv::file
