#include "ui/desk/commentwindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/file/testfile.h"
#include "model/settings/settings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {
namespace {

QString ShownText(const std::string &stored)
{
    return QString::fromStdString(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string StoredText(const QString &shown)
{
    QString text = shown;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
}

} // namespace

TfmComment::TfmComment(TQuorvik &document, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("fmComment"));
    setWindowTitle(QStringLiteral("Комментарии"));
    setModal(false);
    m_slots = new QComboBox(this);
    m_slots->setObjectName(QStringLiteral("cbComment"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("meComment"));
    m_text->setReadOnly(true);
    m_save = new QPushButton(QStringLiteral("Сохранить"), this);
    m_save->setObjectName(QStringLiteral("btSave"));
    auto *close = new QPushButton(QStringLiteral("&Закрыть"), this);
    close->setObjectName(QStringLiteral("btClose"));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Комментарий к:"), this));
    top->addWidget(m_slots, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(m_slots, &QComboBox::activated, this, [this] { ShowSelected(); });
    connect(m_save, &QPushButton::clicked, this, &TfmComment::Save);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

bool TfmComment::HasComment(const TQuorvik &document, int slot)
{
    const auto mark = static_cast<char>(slot + 1);
    return document.CommentMarks().find(mark) != std::string::npos;
}

void TfmComment::SetEditable(bool editable)
{
    TakeEdits();
    m_editable = editable;
    m_text->setReadOnly(!editable);
    ShowSlot(m_shownSlot);
}

void TfmComment::FillList()
{
    m_slots->clear();
    const int tests = m_document.Doc().NTest;
    for (int slot = 0; slot <= tests && slot < kCommentSlots; ++slot) {
        if (!m_editable && !HasComment(m_document, slot))
            continue;
        m_slots->addItem(slot == kFileSlot ? QStringLiteral("к файлу")
                                           : QStringLiteral("к тесту №") + QString::number(slot),
                         slot);
    }
}

void TfmComment::ShowSlot(int slot)
{
    FillList();
    int row = m_slots->findData(slot);
    if (row < 0 && m_slots->count() > 0)
        row = 0;
    m_slots->setCurrentIndex(row);
    ShowSelected();
}

void TfmComment::Forget()
{
    m_shownSlot = -1;
    m_slots->clear();
    m_text->clear();
}

int TfmComment::CurrentSlot() const
{
    return m_shownSlot;
}

QString TfmComment::Text() const
{
    return m_text->toPlainText();
}

void TfmComment::TakeEdits()
{
    if (!m_editable || m_shownSlot < 0 || m_shownSlot >= kCommentSlots)
        return;
    m_document.Txt().Comments[static_cast<std::size_t>(m_shownSlot)] =
        StoredText(m_text->toPlainText());
}

void TfmComment::ShowSelected()
{
    TakeEdits();
    const QVariant slot = m_slots->currentData();
    m_shownSlot = slot.isValid() ? slot.toInt() : -1;
    m_text->setPlainText(
        m_shownSlot >= 0 && m_shownSlot < kCommentSlots
            ? ShownText(m_document.Txt().Comments[static_cast<std::size_t>(m_shownSlot)])
            : QString());
}

void TfmComment::Save()
{
    if (!m_editable) {
        const std::string setting(
            TSettings::OptionKeys()[static_cast<std::size_t>(TSettings::OptAllowCommentEdit)]);
        Mesbo().Show(Msg(55) + "\r\nДля записи активируйте параметр \"" + setting + "\"", MbError,
                     kProductName);
        return;
    }
    TakeEdits();
    m_document.WriteComments();
    if (m_document.TestFile())
        m_document.UpdateCommentMarks();
    ShowSlot(m_shownSlot);
}

} // namespace qv
