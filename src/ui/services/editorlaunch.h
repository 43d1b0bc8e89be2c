#pragma once

// The window "Запуск редактора...": 100 ms after it opens it starts the test
// editor with the connect argument of this window and serves the editor's
// link (editorlink.h): it hands over the open file and test, shows what the
// editor reports, and closes when the editor has ended. exec() returns
// Accepted when the editor said it ended (code 2), Rejected when it could
// not be started or ended without saying so.

#include <QDialog>
#include <QProcess>
#include <QString>
#include <memory>

class QLabel;
class QLocalServer;
class QLocalSocket;

namespace qv {

struct EditorMessage;

namespace services {

class TfmEditorLaunch : public QDialog
{
    Q_OBJECT

public:
    // program: the editor's path; file and test: what the editor is told on
    // its greeting.
    TfmEditorLaunch(QString program, QString file, int test, QWidget *parent = nullptr);
    ~TfmEditorLaunch() override;

    // The editor's report (code 1), when it sent one.
    bool Reported() const { return m_reported; }
    const QString &ReportedFile() const { return m_reportedFile; }
    int ReportedTest() const { return m_reportedTest; }

    // The editor keeps the old file as its ".bak" when it replaces it (the
    // backup setting); off by default. Set before the window shows.
    void SetBackup(bool on) { m_backup = on; }

    // The identifier in the editor's command line and the socket's name.
    std::uint64_t Identifier() const { return m_identifier; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Esc: the window stays while the editor runs, or what the operator
    // saves in it would never come back.
    void reject() override;

private:
    void Start();
    void TakeConnection();
    void ReadMessages();
    void Handle(const EditorMessage &message);
    // Closes once the editor has ended and its link has nothing more.
    void FinishIfOver();

    QString m_program;
    QString m_file;
    int m_test = 0;
    std::uint64_t m_identifier = 0;
    bool m_backup = false;
    bool m_started = false;
    bool m_processEnded = false;
    bool m_done = false;
    bool m_reported = false;
    QString m_reportedFile;
    int m_reportedTest = -1;
    QLabel *m_fileLabel = nullptr;
    QLabel *m_testLabel = nullptr;
    std::unique_ptr<QLocalServer> m_server;
    QLocalSocket *m_socket = nullptr; // owned by the server
    QByteArray m_buffer;
    QProcess m_process;
};

} // namespace services
} // namespace qv
