#pragma once

// The byte splitter's window: the data file and its low and high byte
// files, "Разбить" (data -> two files) and "Собрать" (two files -> data).

#include <QWidget>

class QLabel;
class QLineEdit;

namespace qvsplit {

class SplitWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SplitWindow(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override; // Esc closes

private:
    QLineEdit *addRow(const QString &caption, const QString &name, bool forOpen);
    void split();
    void join();
    void report(const QString &problem, const QString &done);

    QLineEdit *m_data = nullptr;
    QLineEdit *m_low = nullptr;
    QLineEdit *m_high = nullptr;
    QLabel *m_status = nullptr;
    int m_rows = 0;
};

} // namespace qvsplit
