#include "results/diagnosislines.h"

#include "infra/plural.h"
#include "model/diagnosis/diagnosistext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace qv::results {

namespace {

constexpr NounForms kUnexplainedNoun{"ошибка не объяснена", "ошибки не объяснены",
                                     "ошибок не объяснено"};

// A fault as the JSON names it; the contact names go into `names`.
std::optional<diagnosis::Fault> FaultOf(const QJsonObject &json, std::vector<std::string> &names)
{
    const auto kind = diagnosis::KindFromName(json.value("kind").toString().toStdString());
    const QJsonArray contacts = json.value("contacts").toArray();
    if (!kind || contacts.isEmpty() || contacts.size() > 2)
        return std::nullopt;
    int numbers[2] = {0, 0};
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const int contact = contacts[i].toInt(0);
        if (contact < 1 || contact > diagnosis::kContacts)
            return std::nullopt;
        numbers[i] = contact;
    }
    const bool pair = contacts.size() == 2;
    if (pair != (*kind == diagnosis::FaultKind::BridgeAnd ||
                 *kind == diagnosis::FaultKind::BridgeOr || *kind == diagnosis::FaultKind::Swap))
        return std::nullopt;
    const QJsonArray given = json.value("names").toArray();
    for (qsizetype i = 0; i < contacts.size() && i < given.size(); ++i)
        names[static_cast<std::size_t>(numbers[i] - 1)] = given[i].toString().toStdString();
    return pair ? diagnosis::PairFault(*kind, numbers[0], numbers[1])
                : diagnosis::StuckFault(numbers[0], *kind == diagnosis::FaultKind::StuckHigh);
}

} // namespace

std::vector<std::string> DiagnosisLines(const TestResult &test, int passes)
{
    std::vector<std::string> lines;
    const QJsonArray list =
        QJsonDocument::fromJson(QByteArray::fromStdString(test.diagnosis)).array();
    for (const QJsonValue &value : list) {
        const QJsonObject entry = value.toObject();
        std::vector<std::string> names(diagnosis::kContacts);
        const auto fault = FaultOf(entry, names);
        if (!fault)
            continue;
        const int explains = entry.value("explains").toInt(0);
        std::string line = diagnosis::FaultText(*fault, names) + ", объясняет " +
                           Counted(explains < 0 ? 0 : explains, kErrorNoun);
        const auto failing = entry.value("passes").toArray().size();
        if (passes > 1 && failing > 0 && failing < passes)
            line +=
                ", нестабильно: " + std::to_string(failing) + " из " + Counted(passes, kPassNoun);
        lines.push_back(std::move(line));
        std::string others;
        for (const QJsonValue &equivalent : entry.value("equivalents").toArray())
            if (const auto other = FaultOf(equivalent.toObject(), names))
                others += (others.empty() ? "" : "; ") + diagnosis::FaultText(*other, names);
        if (!others.empty())
            lines.push_back("  неотличимо от: " + others);
    }
    if (test.unexplained && *test.unexplained > 0)
        lines.push_back(Counted(*test.unexplained, kUnexplainedNoun));
    return lines;
}

} // namespace qv::results
