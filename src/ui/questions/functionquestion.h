#pragma once

// The windows that answer the unit's question after a failed function
// during a run: the M-function error dialog (a memory test found errors)
// and the F/P question window "fmFuncF_ask". Both show where the function
// failed and the error list of the output words involved (parameter,
// reference, data), and ask "Продолжить выполнение теста?".
//
// The question record starts with the kind (QuestionKind), the 1-based
// test number and the function's number; then the current address (M: 24
// bits in three bytes and the algorithm index; F/P: 32 bits), a flag byte
// and, with the flag, two 16-bit values (reference, read); then the count
// of output-word entries (at offset 8, or 12 with the flag) and the entries
// of 3 bytes each: word number, then the 16-bit value read. Values are
// little-endian.

#include "execution/run/unitquestion.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qv {

class TQuorvik;

namespace questions {

struct QuestionLine
{
    QString parameter;
    QString reference;
    QString data;
    int outputWord = 0; // 0 = not an output-word line
};

struct FunctionQuestion
{
    QuestionKind kind = QuestionKind::FFunction; // F, M or P
    int test = 0;                                // 1-based
    int function = 0;
    std::uint32_t address = 0;
    int algorithm = -1; // M only
    std::vector<QuestionLine> lines;
};

// The record as the windows show it; nullopt for a record shorter than 4
// bytes, of another kind, or of a kind that does not ask about a function. Entries that the record
// does not hold in full are left out.
std::optional<FunctionQuestion> ReadFunctionQuestion(const TQuorvik &doc, QuestionKind kind,
                                                     std::span<const std::uint8_t> record);

// "Тест буферов" ... "Стандартный"; "" for an unknown index.
QString AlgorithmName(int index);

class TfmFuncAsk : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kValueColumn = 60;
    static constexpr int kListWidth = 330;

    // openList(test, kind, number): the list window of a word ('o') or of
    // the function ('F', 'M', 'P') of the question's test (0-based), which
    // an all-tests run does not make the current one; may be empty.
    TfmFuncAsk(const TQuorvik &doc, const FunctionQuestion &question,
               std::function<void(int, char, int)> openList, QWidget *parent = nullptr);

    QTableWidget *List() const { return m_list; }
    QPushButton *YesButton() const { return m_yes; }
    QPushButton *NoButton() const { return m_no; }
    QPushButton *InfoButton() const { return m_info; }
    // The label text beside a caption ("Текущий адрес:", "Алгоритм:", the
    // function caption); "" when absent.
    QString ValueOf(const QString &caption) const;

private:
    void FillList(const FunctionQuestion &question);

    std::vector<std::pair<QLabel *, QLabel *>> m_lines;
    QTableWidget *m_list = nullptr;
    QPushButton *m_yes = nullptr;
    QPushButton *m_no = nullptr;
    QPushButton *m_info = nullptr;
};

// Asks the operator: 1 "Да", 0 "Нет" or closed, 255 after the corruption
// message for a record that cannot be shown.
int AskFunctionQuestion(const TQuorvik &doc, QuestionKind kind,
                        std::span<const std::uint8_t> record,
                        std::function<void(int, char, int)> openList, QWidget *parent);

} // namespace questions
} // namespace qv
