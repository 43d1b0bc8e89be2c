// quorvik-edit: the test editor of the bench. Started by the main window's
// "Редактор диагностических тестов" with the window's connect argument, it
// asks the window for the open file and test, edits the file as text in the
// user's text editor (dumpedit.h), reports the saved file back and ends.
// Started with a file name it edits that file on its own.

#include "dumpedit.h"
#include "execution/editor/editorlink.h"
#include "texteditor.h"
#include "toolkittexts.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QInputDialog>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <cstdio>
#include <iostream>

namespace {

constexpr const char *kUsage =
    "Использование: quorvik-edit ФАЙЛ.QOR\n"
    "               quorvik-edit STR_CONNECT_QOR_EDIT*ИДЕНТИФИКАТОР\n"
    "Редактор диагностических тестов: файл тестов открывается как текст (формат\n"
    "дампа qortool) в текстовом редакторе пользователя ($VISUAL, $EDITOR или\n"
    "первый установленный из gedit, gnome-text-editor, kate, kwrite, xed, pluma,\n"
    "mousepad, geany). После закрытия редактора текст упаковывается обратно в\n"
    "файл; текст, который не загружается как файл тестов, файл не меняет.\n"
    "Со вторым видом аргумента программа работает по связи с окном quorvik,\n"
    "которое её запустило.\n"
    "Текст, который загружается с предупреждениями или теряет тесты, заменяет\n"
    "файл только после подтверждения.\n"
    "Переменная QUORVIK_EDIT_BATCH=1: без диалогов, сообщения в stderr\n"
    "(для сценариев); такой текст тогда не принимается, если не задана\n"
    "переменная QUORVIK_EDIT_ACCEPT_WARNINGS=1.\n"
    "Переменная QUORVIK_EDIT_BACKUP=1: прежний файл сохраняется как .bak.\n"
    "Коды выхода: 0 файл сохранён или не изменён, 1 изменение не принято,\n"
    "2 ошибка вызова.\n";

constexpr int kLinkWaitMs = 10000;

bool Batch()
{
    return qEnvironmentVariable("QUORVIK_EDIT_BATCH") == QStringLiteral("1");
}

QString Joined(const std::vector<std::string> &lines)
{
    QStringList texts;
    for (const std::string &line : lines)
        texts << QString::fromStdString(line);
    return texts.join(QLatin1Char('\n'));
}

void Tell(const QString &text, bool error)
{
    if (Batch()) {
        std::cerr << text.toStdString() << "\n";
        return;
    }
    if (error)
        QMessageBox::critical(nullptr, QStringLiteral("Редактор тестов"), text);
    else
        QMessageBox::warning(nullptr, QStringLiteral("Редактор тестов"), text);
}

qvedit::EditHooks Hooks()
{
    qvedit::EditHooks hooks;
    hooks.password = [](const std::string &prompt) -> std::optional<std::string> {
        if (Batch())
            return std::nullopt;
        bool ok = false;
        const QString typed =
            QInputDialog::getText(nullptr, QStringLiteral("Редактор тестов"),
                                  QString::fromStdString(prompt), QLineEdit::Password, {}, &ok);
        return ok ? std::optional(typed.toStdString()) : std::nullopt;
    };
    hooks.editText = [](const std::string &path) {
        const auto command = qvedit::FindTextEditor();
        if (!command) {
            Tell(QStringLiteral("Не найден текстовый редактор: задайте его командой в переменной "
                                "VISUAL или EDITOR"),
                 true);
            return false;
        }
        QString problem;
        if (qvedit::RunTextEditor(*command, QString::fromStdString(path), &problem))
            return true;
        Tell(problem, true);
        return false;
    };
    hooks.backup = qEnvironmentVariable("QUORVIK_EDIT_BACKUP") == QStringLiteral("1");
    hooks.acceptWarnings = [](const std::vector<std::string> &warnings) {
        if (Batch())
            return qEnvironmentVariable("QUORVIK_EDIT_ACCEPT_WARNINGS") == QStringLiteral("1");
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Редактор тестов"),
                        QStringLiteral("Изменённый текст загружается с предупреждениями:\n") +
                            Joined(warnings).left(2000) +
                            QStringLiteral("\nЗаписать файл с этими потерями?"));
        QPushButton *write = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == write;
    };
    hooks.retry = [](const std::string &why, const std::vector<std::string> &log) {
        if (Batch())
            return false;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Редактор тестов"),
                        QString::fromStdString(why) +
                            QStringLiteral(".\nФайл не изменён. Вернуться к правке текста?"));
        box.setDetailedText(Joined(log));
        box.setInformativeText(Joined(log).left(2000));
        box.addButton(QStringLiteral("Исправить текст"), QMessageBox::AcceptRole);
        QAbstractButton *giveUp =
            box.addButton(QStringLiteral("Отказаться от изменений"), QMessageBox::RejectRole);
        box.exec();
        return box.clickedButton() != giveUp;
    };
    return hooks;
}

// Edits `path`; the result told to the user.
qvedit::EditResult Edit(const std::string &path)
{
    const qvedit::EditResult result = qvedit::EditThroughDump(path, Hooks());
    const QString lines = Joined(result.lines);
    switch (result.outcome) {
    case qvedit::EditOutcome::Refused:
        Tell(QStringLiteral("Файл \"%1\" не изменён.\n%2").arg(QString::fromStdString(path), lines),
             true);
        break;
    case qvedit::EditOutcome::Saved:
        if (!result.lines.empty())
            Tell(QStringLiteral("Файл сохранён с предупреждениями:\n") + lines, false);
        break;
    case qvedit::EditOutcome::Unchanged:
    case qvedit::EditOutcome::Dropped:
        break;
    }
    return result;
}

int ExitOf(const qvedit::EditResult &result)
{
    return result.outcome == qvedit::EditOutcome::Saved ||
                   result.outcome == qvedit::EditOutcome::Unchanged
               ? 0
               : 1;
}

bool Send(QLocalSocket &socket, const qv::EditorMessage &message)
{
    socket.write(qv::EncodeEditorMessage(message));
    return socket.waitForBytesWritten(kLinkWaitMs) || socket.bytesToWrite() == 0;
}

// The window's answer to the greeting.
std::optional<qv::EditorMessage> Greet(QLocalSocket &socket)
{
    qv::EditorMessage hello;
    hello.value = static_cast<std::int32_t>(QCoreApplication::applicationPid());
    if (!Send(socket, hello))
        return std::nullopt;
    QByteArray buffer;
    qv::EditorMessage answer;
    // One limit for the whole answer: a peer that trickles a byte now and
    // then must not keep the editor waiting for ever.
    const QDeadlineTimer deadline(kLinkWaitMs);
    while (!deadline.hasExpired() &&
           socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        buffer += socket.readAll();
        const qv::EditorFrame frame = qv::TakeEditorMessage(buffer, answer);
        if (frame == qv::EditorFrame::Bad)
            return std::nullopt;
        if (frame == qv::EditorFrame::Taken && answer.code == qv::EditorCode::Hello)
            return answer;
    }
    return std::nullopt;
}

int Linked(std::uint64_t windowId)
{
    QLocalSocket socket;
    socket.connectToServer(qv::EditorServerName(windowId));
    const auto answer = socket.waitForConnected(kLinkWaitMs) ? Greet(socket) : std::nullopt;
    if (!answer) {
        Tell(QStringLiteral("Нет связи с окном программы, запустившим редактор"), true);
        return 1;
    }
    const QString file = QString::fromUtf8(answer->data);
    const qvedit::EditResult result = Edit(file.toStdString());
    const QByteArray name = file.toUtf8();
    if (result.outcome == qvedit::EditOutcome::Saved && name.size() <= qv::kMaxEditorData) {
        qv::EditorMessage report;
        report.code = qv::EditorCode::Report;
        report.data = name;
        report.value = answer->value >= 0 && answer->value < result.testCount ? answer->value
                                                                              : qv::kEditorNoTest;
        Send(socket, report);
    }
    qv::EditorMessage done;
    done.code = qv::EditorCode::Done;
    Send(socket, done);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kLinkWaitMs);
    return ExitOf(result);
}

} // namespace

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (argc != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvik-edit"));
    QTranslator toolkitTexts;
    qv::InstallRussianToolkitTexts(toolkitTexts);
    const QString argument = QString::fromLocal8Bit(argv[1]);
    if (const auto windowId = qv::ParseEditorConnectArgument(argument))
        return Linked(*windowId);
    return ExitOf(Edit(argument.toStdString()));
}
