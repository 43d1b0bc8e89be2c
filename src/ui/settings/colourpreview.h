#pragma once

// ColourPreview: the sample diagram or table of the settings window's colour
// page, painted by the view painters in preview mode with the colours being
// edited.

#include "model/content/textgrid.h"

#include <QWidget>
#include <array>

namespace qv {
class TQorFunc;
}

namespace qv::settings {

class ColourPreview : public QWidget
{
    Q_OBJECT

public:
    enum class Kind { Diagram, Table };

    // painter: paints with the colours being edited; it must outlive the widget.
    ColourPreview(Kind kind, TQorFunc &painter, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind m_kind;
    TQorFunc &m_painter;
    TextGrid m_content;
    // The table sample's columns: what each one's texts need, so that the
    // headers and values show whole (measured once, with the widget's font).
    std::array<int, 7> m_tableNeeds{};
};

} // namespace qv::settings
