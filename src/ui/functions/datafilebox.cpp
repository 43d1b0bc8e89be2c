#include "ui/functions/datafilebox.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/functions/datafilename.h"

#include <QLineEdit>
#include <QTemporaryDir>

namespace qv::functions {
namespace {

const QString kUnset = QStringLiteral("<не задано>");

QStringList DataFilesIn(const std::filesystem::path &folder)
{
    QStringList names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const auto &path = it->path();
        if (it->is_regular_file(error) && SameTextNoCase(path.extension().string(), ".dat"))
            names << QString::fromStdString(path.filename().string());
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

} // namespace

DataFileBox::DataFileBox(const std::filesystem::path &testFile, QWidget *parent)
    : QComboBox(parent)
    , m_folder(testFile.parent_path())
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    addItem(kUnset);
    addItems(DataFilesIn(m_folder));
    connect(this, &QComboBox::activated, this, [this](int index) { Choose(itemText(index)); });
    connect(lineEdit(), &QLineEdit::editingFinished, this, [this] { Choose(lineEdit()->text()); });
}

void DataFileBox::ShowName(const std::string &name)
{
    m_shown = name;
    const QString text = name.empty() ? kUnset : QString::fromStdString(name);
    const int index = findText(text);
    if (index >= 0)
        setCurrentIndex(index);
    setEditText(text);
}

void DataFileBox::Choose(const QString &text)
{
    const QString trimmed = text.trimmed();
    std::string name =
        trimmed == kUnset ? std::string() : DataFileNameWithExtension(trimmed.toStdString());
    if (name == m_shown) {
        ShowName(m_shown);
        return;
    }
    const QTemporaryDir scratch;
    if (!name.empty() &&
        !(scratch.isValid() && IsValidFileName(name, m_folder, scratch.path().toStdString()))) {
        Mesbo().Show("Задано недопустимое имя файла", MbError, kProductName);
        ShowName(m_shown);
        return;
    }
    ShowName(name);
    emit Chosen(name);
}

} // namespace qv::functions
