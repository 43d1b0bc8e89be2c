#pragma once

// The probe-name window "fmZondName": renames the current probe entry of
// the active cycle. The permanent first entry ("Зонд") keeps its name, and
// a name must be non-empty, not "Зонд" and unique within the cycle.

#include <QDialog>
#include <vector>

class QLineEdit;

namespace qv {

struct SZond;

namespace services {

class TfmZondName : public QDialog
{
    Q_OBJECT

public:
    // entries: the cycle's entries; index: the one renamed (both outlive
    // the window).
    TfmZondName(std::vector<SZond> &entries, int index, QWidget *parent = nullptr);

    // Catalogue message 59 when the entry may not be renamed, else opens the
    // window; true when a new name was taken.
    static bool Rename(std::vector<SZond> &entries, int index, QWidget *parent);

    QLineEdit *NameEdit() const { return m_name; }

    void accept() override;

private:
    std::vector<SZond> &m_entries;
    int m_index;
    QLineEdit *m_name = nullptr;
};

} // namespace services
} // namespace qv
