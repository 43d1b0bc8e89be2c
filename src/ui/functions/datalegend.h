#pragma once

// The legend of the data window ("Инфо"): what each of its three columns
// shows. It stands beside the data window, to its right when it fits on
// the screen, else to its left.

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;

namespace qv::functions {

// The three explanations: address, run data, file data. With one source
// the second and third describe it: the file when it is the only one
// (fileOnly), else the run's block.
QStringList DataLegendLines(const QString &fileName, bool twoSources, bool fileOnly = true);

class TfmDataInfo : public QWidget
{
    Q_OBJECT

public:
    TfmDataInfo(const QStringList &lines, QWidget *parent);

    QString Text() const;
    // Places the legend beside `anchor` (top edges level).
    void KeepBeside(const QWidget &anchor);

private:
    QLabel *m_text = nullptr;
};

} // namespace qv::functions
