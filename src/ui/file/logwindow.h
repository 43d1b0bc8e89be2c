#pragma once

// TfmLog: the load or save log of a test file. Title and label say which
// ("Загрузка файла..." / "Лог загрузки:", "Запись файла..." / "Лог записи:"),
// one heading says what the lines mean, the file name is shortened to fit,
// error lines are red and warning lines blue; the list opens with room for
// its lines (at least three, at most ten before it scrolls) and grows with
// the window.

#include "model/file/testfileui.h"

#include <QDialog>

class QLabel;
class QListWidget;

namespace qv::file {

class TfmLog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kVisibleLines = 10;
    static constexpr int kMinVisibleLines = 3;

    TfmLog(LogKind kind, const std::string &path, const std::string &log,
           QWidget *parent = nullptr);

    QLabel *Heading() const { return m_heading; }
    QLabel *FileLabel() const { return m_file; }
    QListWidget *Lines() const { return m_lines; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FitLines();
    void ElideFileName();

    QString m_path;
    QLabel *m_heading = nullptr;
    QLabel *m_file = nullptr;
    QListWidget *m_lines = nullptr;
    bool m_fitted = false;
};

} // namespace qv::file
