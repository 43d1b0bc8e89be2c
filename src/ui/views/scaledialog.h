#pragma once

// "Задание параметров масштаба": the horizontal and vertical scale steps
// of the diagram (0..20 each) and the automatic-fit setting.

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace qv {

class ScaleDialog : public QDialog
{
    Q_OBJECT

public:
    ScaleDialog(int horizontal, int vertical, bool autoFit, QWidget *parent = nullptr);

    int HorizontalStep() const;
    int VerticalStep() const;
    bool AutoFit() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSpinBox *m_horizontal = nullptr;
    QSpinBox *m_vertical = nullptr;
    QCheckBox *m_autoFit = nullptr;
};

} // namespace qv
