#include "junitreport.h"

#include "infra/plural.h"
#include "model/diagnosis/diagnosistext.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>
#include <algorithm>
#include <filesystem>

namespace qortool {

namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

const qv::RunVerdict::TestRecord *RecordOf(const qv::RunVerdict &verdict, int test)
{
    const auto found = std::find_if(verdict.tests.begin(), verdict.tests.end(),
                                    [test](const auto &record) { return record.test == test; });
    return found == verdict.tests.end() ? nullptr : &*found;
}

bool RunMade(const qv::RunVerdict &verdict)
{
    return verdict.kind == qv::RunVerdict::Passed || verdict.kind == qv::RunVerdict::Errors ||
           verdict.kind == qv::RunVerdict::Interrupted;
}

enum class CaseResult { Passed, Failed, Error, Skipped };

struct CaseCounts
{
    int failures = 0, errors = 0, skipped = 0;
};

CaseResult ResultOf(const qv::TQuorvik &doc, const qv::RunVerdict &verdict, int test)
{
    const bool inRun =
        doc.CurrentTest() < 0 || doc.CurrentTest() == test || RecordOf(verdict, test);
    if (!inRun)
        return CaseResult::Skipped;
    if (!RunMade(verdict))
        return CaseResult::Error;
    if (!RecordOf(verdict, test))
        return CaseResult::Skipped;
    const bool failed = ErrorsOf(doc, test) > 0 ||
                        std::find(verdict.failedTests.begin(), verdict.failedTests.end(), test) !=
                            verdict.failedTests.end();
    return failed ? CaseResult::Failed : CaseResult::Passed;
}

} // namespace

std::string JUnitReport(const qv::TQuorvik &doc, const qv::RunVerdict &verdict,
                        const RunReportInfo &info)
{
    const int tests = doc.Doc().NTest;
    CaseCounts counts;
    for (int t = 0; t < tests; ++t) {
        switch (ResultOf(doc, verdict, t)) {
        case CaseResult::Failed:
            ++counts.failures;
            break;
        case CaseResult::Error:
            ++counts.errors;
            break;
        case CaseResult::Skipped:
            ++counts.skipped;
            break;
        case CaseResult::Passed:
            break;
        }
    }
    const double seconds = std::chrono::duration<double>(info.finished - info.started).count();
    const QString suite = Q(std::filesystem::path(info.file).filename().string());

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("quorvik"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(tests));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(counts.failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(counts.errors));
    xml.writeAttribute(QStringLiteral("time"), QString::number(seconds, 'f', 3));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), suite);
    xml.writeAttribute(QStringLiteral("tests"), QString::number(tests));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(counts.failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(counts.errors));
    xml.writeAttribute(QStringLiteral("skipped"), QString::number(counts.skipped));
    xml.writeAttribute(QStringLiteral("time"), QString::number(seconds, 'f', 3));
    xml.writeStartElement(QStringLiteral("properties"));
    for (const auto &[name, value] :
         {std::pair{"unit", info.address}, std::pair{"passes", std::to_string(verdict.passes)},
          std::pair{"failingPasses", std::to_string(verdict.failingPasses)},
          std::pair{"verdict", verdict.text}}) {
        xml.writeEmptyElement(QStringLiteral("property"));
        xml.writeAttribute(QStringLiteral("name"), QString::fromLatin1(name));
        xml.writeAttribute(QStringLiteral("value"), Q(value));
    }
    xml.writeEndElement();

    for (int t = 0; t < tests; ++t) {
        const qv::STest *test = doc.Test(t);
        std::string name = "Тест №" + std::to_string(t + 1);
        if (test != nullptr && !test->Name.empty())
            name += " \"" + test->Name + "\"";
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("classname"), suite);
        xml.writeAttribute(QStringLiteral("name"), Q(name));
        switch (ResultOf(doc, verdict, t)) {
        case CaseResult::Failed: {
            std::string lines;
            if (const auto *record = RecordOf(verdict, t); record && test)
                for (const std::string &line : WrongWordLines(*test, *record))
                    lines += line + "\n";
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("errors"));
            // The message names the contacts at fault where the run tells them.
            std::string message = qv::Counted(ErrorsOf(doc, t), qv::kErrorNoun);
            for (const std::string &line :
                 qv::diagnosis::DiagnosisLinesOfTest(verdict.diagnosis, t, doc.Cnt().Names))
                message += ". " + line;
            xml.writeAttribute(QStringLiteral("message"), Q(message));
            xml.writeCharacters(Q(lines));
            xml.writeEndElement();
            break;
        }
        case CaseResult::Error:
            xml.writeEmptyElement(QStringLiteral("error"));
            xml.writeAttribute(QStringLiteral("message"), QStringLiteral("Запуск не выполнен"));
            break;
        case CaseResult::Skipped:
            xml.writeEmptyElement(QStringLiteral("skipped"));
            break;
        case CaseResult::Passed:
            break;
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes.toStdString();
}

} // namespace qortool
