#pragma once

// TfmZondMode: the threshold window "Режим зонда", opened by a click on the
// main window's probe label. The unit judges the hand probe's voltage
// against two of four thresholds ("0.8В", "2.0В", "5.0В", "10.0В", one bit
// each of the mask): TTL is 3, DTL 12, "ручной" any other two. The two
// threshold lists are shown only for "ручной".

#include <QDialog>

class QComboBox;
class QLabel;
class QRadioButton;

namespace qv::probe {

// "TTL" for 3, "DTL" for 12, otherwise the lower and the upper threshold of
// the mask joined by " / ".
QString ThresholdLabel(int mask);

class TfmZondMode : public QDialog
{
    Q_OBJECT

public:
    explicit TfmZondMode(int mask, QWidget *parent = nullptr);

    // The mask chosen; meaningful after OK.
    int Mask() const { return m_mask; }

    QRadioButton *Ttl() const { return m_ttl; }
    QRadioButton *Dtl() const { return m_dtl; }
    QRadioButton *Manual() const { return m_manual; }
    QComboBox *LowerList() const { return m_lower; }
    QComboBox *UpperList() const { return m_upper; }

private:
    void ShowLists();
    void TryAccept();

    int m_mask = 3;
    QRadioButton *m_ttl = nullptr;
    QRadioButton *m_dtl = nullptr;
    QRadioButton *m_manual = nullptr;
    QLabel *m_lowerCaption = nullptr;
    QLabel *m_upperCaption = nullptr;
    QComboBox *m_lower = nullptr;
    QComboBox *m_upper = nullptr;
};

} // namespace qv::probe
