#include "testsummary.h"

#include "model/test/stest.h"

#include <ostream>

namespace qortool {

void PrintTestModel(std::ostream &out, const qv::STest &test, const std::string &notes)
{
    out << "   циклов: " << test.Cycles << ", начальный такт: " << test.StartTact
        << ", тактов: " << test.Tacts.TactCount() << ", линий: " << test.Tacts.Count() << "\n"
        << "   слова: i " << test.IWords.Count() << ", o " << test.OWords.Count() << ", g "
        << test.GWords.Count() << "\n"
        << "   функции: F " << test.FFuncs.Count() << ", M " << test.MFuncs.Count() << ", P "
        << test.PFuncs.Count() << ", V " << test.VFuncs.Count() << ", S " << test.SFuncs.Count()
        << "\n";
    int probes = 0;
    for (const auto &entries : test.Probes) {
        probes += entries.empty() ? 0 : static_cast<int>(entries.size()) - 1;
    }
    if (probes > 0) {
        out << "   записей зонда: " << probes << "\n";
    }
    if (notes.empty()) {
        return;
    }
    out << "   замечания к диаграмме:\n";
    std::size_t start = 0;
    while (start < notes.size()) {
        const std::size_t end = notes.find("\r\n", start);
        out << "     " << notes.substr(start, end - start) << "\n";
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
}

} // namespace qortool
