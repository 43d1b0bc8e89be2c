#pragma once

// TfmZondName: the new name of the current probe entry of the active cycle
// ("Изменить имя" of the probe menu). The first entry of every cycle,
// "Зонд", keeps its name; a new name may not be empty, "Зонд", or the name
// of another entry of the same cycle.

#include <QDialog>
#include <string>
#include <vector>

class QLineEdit;

namespace qv {
struct SZond;
struct STest;
} // namespace qv

namespace qv::probe {

inline constexpr const char *kDefaultProbeName = "Зонд";

// Why a name is refused for entry `index` of a cycle's entries (the
// catalogue message, ready to show), or empty when it is accepted.
std::string ProbeNameRefusal(const std::vector<SZond> &entries, std::size_t index,
                             const std::string &name);

class TfmZondName : public QDialog
{
    Q_OBJECT

public:
    TfmZondName(std::vector<SZond> &entries, std::size_t index, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }

private:
    void tryAccept();

    std::vector<SZond> &m_entries;
    std::size_t m_index;
    QLineEdit *m_name = nullptr;
};

// The command: the current probe of the test's active cycle. Refuses the
// default entry (catalogue 59) without opening the window. True when the
// name changed.
bool RenameCurrentProbe(STest &test, QWidget *parent);

} // namespace qv::probe
