#include "paint/views/previewcontent.h"

#include "model/content/diagramcontent.h"
#include "model/content/tablecontent.h"
#include "model/words/timearray.h"

#include <array>
#include <string>

namespace qv::views {

TextGrid PreviewDiagram()
{
    TTimeArray tacts;
    tacts.D1 = "ioOgG-LGiNGoEFWFRFCMWRPST";
    tacts.D2 = "1121100220330102030100112";
    const std::string numbers = NumberRowText(tacts);
    const std::string levels = "--__-_--__-_-x-__--_-__--";
    TextGrid grid;
    grid.Resize(kPreviewTacts + 2, 5);
    for (int t = 0; t < kPreviewTacts; ++t) {
        const auto i = static_cast<std::size_t>(t);
        grid.SetCell(t + 2, 0, std::string(1, tacts.D1[i]));
        grid.SetCell(t + 2, 1, std::string(1, numbers[i]));
        grid.SetCell(t + 2, 2, std::string(1, levels[i]));
    }
    MarkTactStates(tacts, nullptr, {}, grid);
    grid.SetCell(0, 2, "RD");
    grid.SetCell(1, 2, "Чтение");
    grid.SetCell(0, 3, "Зонд");
    grid.SetCell(0, 4, std::string(kStartTactCaption) + std::to_string(kPreviewStartTact));
    return grid;
}

TextGrid PreviewTable()
{
    using Row = std::array<const char *, kTableColumns>;
    static constexpr std::array<Row, 8> rows{{
        {"1", "i1 Данные", "55", "55", "o1 Чтение", "55", "55"},
        {"1", "i2 Адрес\x07младший адрес записи M1: [0]", "0", "0", "o2 Готовность", "E", "#12"},
        {"1", "g1 Пауза", "10 мс", "10", "o3 Состояние", "AA", "AB"},
        {"1", "G1 Повтор", "3", "3", "o4 Флаги", "1", "- - -"},
        {"2", "i1 Данные", "AA", "AA", "o1 Чтение", "AA", "AA"},
        {"2", "i2 Адрес", "1", "- - -", "o2 Готовность", "E", "E"},
        {"2", "g1 Пауза", "20 мс", "20", "o3 Состояние", "55", "55"},
        {"2", "G1 Повтор", "3", "3", "", "", ""},
    }};
    TextGrid grid;
    grid.Resize(kTableColumns, 9);
    for (int c = 0; c < kTableColumns; ++c)
        grid.SetCell(c, 0, std::string(kTableHeader[static_cast<std::size_t>(c)]));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < kTableColumns; ++c)
            grid.SetCell(c, static_cast<int>(r) + 1, rows[r][static_cast<std::size_t>(c)]);
    }
    grid.SetMark(ColInputDebug, 1, MarkUp);
    grid.SetMark(ColInputDebug, 2, MarkNone);
    return grid;
}

} // namespace qv::views
