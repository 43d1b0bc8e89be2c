#pragma once

// The self-diagnostics window: runs the checks when it opens and on
// "Повторить", lists each result as it comes and writes the report.

#include <QWidget>

class QLabel;
class QListWidget;

namespace qv {
class TCP;
}

namespace qvselftest {

class SelfTestWindow : public QWidget
{
    Q_OBJECT

public:
    SelfTestWindow(qv::TCP &tester, QString address, QString reportPath, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override; // Esc closes

private:
    void run();

    qv::TCP &m_tester;
    QString m_address;
    QString m_reportPath;
    QListWidget *m_list = nullptr;
    QLabel *m_status = nullptr;
    bool m_shown = false;
};

// Writes the report; empty when done, else why not.
QString WriteReport(const QString &path, const QString &text);

} // namespace qvselftest
