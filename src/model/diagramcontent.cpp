#include "model/diagramcontent.h"

#include "model/records.h"

#include <algorithm>

namespace qv {

std::string NumberRowText(const TTimeArray &tacts)
{
    std::string row = tacts.D2;
    row.resize(tacts.D1.size(), ' ');
    bool insideM = false;
    for (std::size_t t = 0; t < tacts.D1.size(); ++t) {
        const char kind = tacts.D1[t];
        if (kind == 'M') {
            insideM = true;
        } else if (insideM && (kind == 'W' || kind == 'R')) {
            row[t] = 'M';
            if (kind == 'R')
                insideM = false;
        }
    }
    return row;
}

DiagramLayout LayoutOf(const STest *test, bool probeMode)
{
    DiagramLayout layout;
    if (test) {
        layout.tactCount = std::min(test->Tacts.TactCount(), kDiagramMaxTacts);
        layout.lineCount = test->Tacts.Count();
        if (probeMode)
            layout.probeCount = test->ProbeCount(test->ActiveCycle);
    }
    layout.firstProbeRow = kDiagramFirstLineRow + layout.lineCount;
    layout.bottomRow = layout.firstProbeRow + layout.probeCount;
    return layout;
}

DiagramLayout FillDiagram(const STest *test, const SCnt &cnt, bool probeMode, TextGrid &grid)
{
    const DiagramLayout layout = LayoutOf(test, probeMode);
    grid.Resize(kDiagramColumns, layout.bottomRow + 1);
    grid.Clear();
    if (!test)
        return layout;

    const TTimeArray &tacts = test->Tacts;
    const std::string numbers = NumberRowText(tacts);
    for (int t = 0; t < layout.tactCount; ++t) {
        const auto index = static_cast<std::size_t>(t);
        grid.SetCell(kDiagramFirstTactCol + t, 0, std::string(1, tacts.D1[index]));
        grid.SetCell(kDiagramFirstTactCol + t, 1, std::string(1, numbers[index]));
    }
    const auto &lines = tacts.Lines();
    for (int j = 0; j < layout.lineCount; ++j) {
        const TLine &line = lines[static_cast<std::size_t>(j)];
        const int row = kDiagramFirstLineRow + j;
        if (line.Contact >= 0 && line.Contact < kMaxContacts)
            grid.SetCell(0, row, cnt.Names[static_cast<std::size_t>(line.Contact)]);
        grid.SetCell(1, row, line.Label);
        const int levels = std::min(static_cast<int>(line.Levels.size()), layout.tactCount);
        for (int t = 0; t < levels; ++t)
            grid.SetCell(kDiagramFirstTactCol + t, row,
                         std::string(1, line.Levels[static_cast<std::size_t>(t)]));
    }
    for (int p = 0; p < layout.probeCount; ++p) {
        const auto &entries = test->Probes[static_cast<std::size_t>(test->ActiveCycle)];
        grid.SetCell(0, layout.firstProbeRow + p, entries[static_cast<std::size_t>(p)].Name);
    }
    grid.SetCell(0, layout.bottomRow,
                 std::string(kStartTactCaption) + std::to_string(test->StartTact));
    return layout;
}

} // namespace qv
