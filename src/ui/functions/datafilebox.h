#pragma once

// The data-file choice of the F-, S- and P-function windows: "<не задано>"
// (no file), the ".dat" files beside the test file, or a name the operator
// types. A typed name without a "." gets ".dat"; a name that cannot name a
// file is refused with "Задано недопустимое имя файла" and the box shows
// the stored name again.

#include <QComboBox>
#include <filesystem>
#include <string>

namespace qv::functions {

class DataFileBox : public QComboBox
{
    Q_OBJECT

public:
    DataFileBox(const std::filesystem::path &testFile, QWidget *parent = nullptr);

    // Shows the stored name ("" as "<не задано>").
    void ShowName(const std::string &name);

signals:
    // A new valid name was chosen; "" for "<не задано>".
    void Chosen(const std::string &name);

private:
    void Choose(const QString &text);

    std::filesystem::path m_folder;
    std::string m_shown;
};

} // namespace qv::functions
