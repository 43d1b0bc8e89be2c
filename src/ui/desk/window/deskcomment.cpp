#include "ui/desk/window/deskcomment.h"

#include "execution/desk/settingsstore.h"
#include "ui/desk/commentwindow.h"

#include <QEvent>

namespace qv::desk {

DeskComment::DeskComment(QWidget &window, TQuorvik &document, SettingsStore &store,
                         std::function<bool()> editable)
    : QObject(&window)
    , m_window(window)
    , m_document(document)
    , m_store(store)
    , m_editable(std::move(editable))
{}

TfmComment &DeskComment::Show(int slot)
{
    if (!m_comment) {
        m_comment = new TfmComment(m_document, &m_window);
        m_comment->setWindowFlag(Qt::Window, true);
        if (const auto geometry = m_store.Placements().Geometry("fmComment"))
            m_comment->restoreGeometry(
                QByteArray::fromBase64(QByteArray::fromStdString(*geometry)));
        m_comment->installEventFilter(this);
    }
    m_comment->SetEditable(m_editable());
    m_comment->ShowSlot(slot);
    // Closed and shown again, so that it comes to the front.
    m_comment->close();
    m_comment->show();
    m_comment->raise();
    return *m_comment;
}

void DeskComment::Close()
{
    if (m_comment)
        m_comment->close();
}

void DeskComment::CloseAndForget()
{
    if (m_comment) {
        m_comment->close();
        m_comment->Forget();
    }
}

void DeskComment::UpdateEditable()
{
    if (m_comment)
        m_comment->SetEditable(m_editable());
}

void DeskComment::SavePlacement()
{
    if (m_comment)
        m_store.Placements().SetGeometry("fmComment",
                                         m_comment->saveGeometry().toBase64().toStdString());
}

bool DeskComment::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_comment && event->type() == QEvent::Hide)
        SavePlacement();
    return QObject::eventFilter(watched, event);
}

} // namespace qv::desk
