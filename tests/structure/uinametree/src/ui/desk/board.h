#pragma once

#include <QAbstractTableModel>

// What the check accepts: our own methods in PascalCase, Qt's virtuals
// with `override` (also when it is on a line of its own), constants and
// members. It names the one method of ours with a small letter.
class Board : public QAbstractTableModel
{
public:
    static constexpr int kRows = 20;

    void SelectTest(int index);
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role) const override;
    int columnCount(const QModelIndex &parent = {}) const
        override;
    void selectTest(int index);

private:
    int m_shown = 0;
};
