#pragma once

// The external data editor ("Р&едактор данных" and the P-function window):
// the command of the setting "Редактор данных", else the first installed
// hex editor of a short list, else the desktop's opener (only with a file).
// It is started on its own, with the file's folder as working folder.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace qv::services {

struct DataEditorCommand
{
    QString program;
    QStringList arguments; // the file's path comes after these
};

// The command for `setting` (words split like a shell's); nullopt when no
// editor can be found. withFile: the opener of the desktop serves too.
std::optional<DataEditorCommand> FindDataEditor(const std::string &setting, bool withFile);

// Starts the data editor on `file` (empty: none). Catalogue message 60 when
// no editor is found, 61 with the launch parameters when it cannot be
// started; false then.
bool OpenDataEditor(const std::string &setting, const QString &file);

// From the P-function window: the data file `name` beside the test file
// `testFile`; "<не задано>" gives catalogue message 9, a missing file
// "Файл данных \"name\" не найден".
bool OpenDataEditorOn(const std::string &setting, const std::string &testFile,
                      const std::string &name);

} // namespace qv::services
