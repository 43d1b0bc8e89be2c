#pragma once

// The probe menu's commands ("Добавить зонд", "Удалить зонд", "Удалить все
// зонды", "Изменить имя") on the current test's active cycle, from the
// "Отладка" menu or from the diagram's probe menu, which first makes the
// probe it was opened on the current one.

#include <QObject>
#include <functional>

class QAction;
class QPoint;
class QWidget;

namespace qv {

class TQuorvik;

namespace services {

enum class ProbeRefusal;

class ProbeCommands : public QObject
{
    Q_OBJECT

public:
    // refill: fills the shown view again after a change (the diagram's rows
    // follow the entries).
    ProbeCommands(QWidget &window, TQuorvik &document, std::function<void()> refill);

    // The window's four commands (none null); the window owns them.
    struct Actions
    {
        QAction *add = nullptr;
        QAction *remove = nullptr;
        QAction *removeAll = nullptr;
        QAction *rename = nullptr;
    };
    // Connects the four commands.
    void ConnectActions(const Actions &actions);

    void Add();
    void Remove();
    void RemoveAll();
    void Rename();

    // The diagram's probe menu for entry `probe` at `globalPos`.
    void ShowMenu(int probe, const QPoint &globalPos, const Actions &actions);

private:
    // A refused delete is told (its catalogue message), a done one shown.
    void Finish(ProbeRefusal refusal);

    QWidget &m_window;
    TQuorvik &m_document;
    std::function<void()> m_refill;
};

} // namespace services
} // namespace qv
