// The settings window's page "Цвета": for the diagram and the table, the
// list of elements, a colour chooser and a sample painted with the colours
// being edited.

#include "ui/settings/colourpreview.h"
#include "ui/settings/paramswindow.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <algorithm>

namespace qv::settings {
namespace {

// The standard colours offered first, as 0x00BBGGRR.
constexpr std::array<std::uint32_t, 16> kStandardColours{
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
// The item data of "Другой...", which opens the colour dialog.
constexpr int kOtherColour = -1;

QColor FromBgr(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t ToBgr(const QColor &colour)
{
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

void AddColourItem(QComboBox &list, std::uint32_t bgr)
{
    QPixmap swatch(16, 12);
    swatch.fill(FromBgr(bgr));
    list.addItem(QIcon(swatch), FromBgr(bgr).name(), static_cast<int>(bgr));
}

int FirstColourOf(int sheet)
{
    return sheet == TfmParams::SheetDiagram ? 0 : kDiagramColourCount;
}

} // namespace

QWidget *TfmParams::BuildColourPage()
{
    m_colourSheets = new QTabWidget;
    m_colourSheets->addTab(BuildColourSheet(SheetDiagram), QStringLiteral("Диаграмма"));
    m_colourSheets->addTab(BuildColourSheet(SheetTable), QStringLiteral("Таблица"));
    return m_colourSheets;
}

QWidget *TfmParams::BuildColourSheet(int sheet)
{
    auto *page = new QWidget;
    auto *layout = new QGridLayout(page);
    auto &preview = m_previews.at(static_cast<std::size_t>(sheet));
    preview = new ColourPreview(sheet == SheetDiagram ? ColourPreview::Kind::Diagram
                                                      : ColourPreview::Kind::Table,
                                m_painter, page);
    layout->addWidget(preview, 0, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Элемент:"), page), 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("Цвет:"), page), 1, 1);
    auto &elements = m_elements.at(static_cast<std::size_t>(sheet));
    elements = new QListWidget(page);
    const int first = FirstColourOf(sheet);
    const int count = sheet == SheetDiagram ? kDiagramColourCount : kColourCount - first;
    for (int i = 0; i < count; ++i) {
        const std::string_view name = ColourTable()[static_cast<std::size_t>(first + i)].name;
        elements->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    layout->addWidget(elements, 2, 0);
    auto &colours = m_colourLists.at(static_cast<std::size_t>(sheet));
    colours = new QComboBox(page);
    layout->addWidget(colours, 2, 1, Qt::AlignTop);
    layout->setColumnStretch(0, 1);
    connect(elements, &QListWidget::currentRowChanged, this, [this, sheet] { ShowElement(sheet); });
    connect(colours, &QComboBox::activated, this,
            [this, sheet](int item) { ChooseColour(sheet, item); });
    elements->setCurrentRow(0);
    return page;
}

void TfmParams::ShowElement(int sheet)
{
    const int row = m_elements.at(static_cast<std::size_t>(sheet))->currentRow();
    QComboBox &list = *m_colourLists.at(static_cast<std::size_t>(sheet));
    list.clear();
    if (row < 0)
        return;
    const std::uint32_t current = m_colours.Get(FirstColourOf(sheet) + row);
    if (std::find(kStandardColours.begin(), kStandardColours.end(), current) ==
        kStandardColours.end())
        AddColourItem(list, current);
    for (const std::uint32_t colour : kStandardColours)
        AddColourItem(list, colour);
    list.addItem(QStringLiteral("Другой..."), kOtherColour);
    list.setCurrentIndex(list.findData(static_cast<int>(current)));
}

void TfmParams::ChooseColour(int sheet, int item)
{
    const int row = m_elements.at(static_cast<std::size_t>(sheet))->currentRow();
    if (row < 0)
        return;
    const int index = FirstColourOf(sheet) + row;
    const int data = m_colourLists.at(static_cast<std::size_t>(sheet))->itemData(item).toInt();
    if (data == kOtherColour) {
        const QColor chosen = QColorDialog::getColor(FromBgr(m_colours.Get(index)), this);
        if (chosen.isValid())
            SetColour(index, ToBgr(chosen));
        ShowElement(sheet);
        return;
    }
    SetColour(index, static_cast<std::uint32_t>(data));
}

void TfmParams::SetColour(int index, std::uint32_t bgr)
{
    m_colours.Set(index, bgr);
    for (ColourPreview *preview : m_previews)
        preview->update();
    emit ColoursChanged(m_colours);
}

} // namespace qv::settings
