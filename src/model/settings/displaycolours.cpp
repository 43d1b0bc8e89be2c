#include "model/settings/displaycolours.h"

namespace qv {

const std::array<ColourInfo, kColourCount> &ColourTable()
{
    static const std::array<ColourInfo, kColourCount> table = {{
        {"Входное слово", BgrFromRgb(0x008080)},
        {"Выходное слово (непроверенное)", BgrFromRgb(0x808080)},
        {"Выходное слово (верное)", BgrFromRgb(0x000080)},
        {"Выходное слово (неверное)", BgrFromRgb(0xFF0000)},
        {"Слово - генератор", BgrFromRgb(0x800080)},
        {"Слово GE", BgrFromRgb(0x808000)},
        {"Слово GN", BgrFromRgb(0x808000)},
        {"Слово GL", BgrFromRgb(0x808000)},
        {"Функция FW", BgrFromRgb(0xFFFF00)},
        {"Функция FR", BgrFromRgb(0xFFFF00)},
        {"Функция FC", BgrFromRgb(0xFFFF00)},
        {"Функция M", BgrFromRgb(0xFFFF00)},
        {"Функция P", BgrFromRgb(0xFFFF00)},
        {"Функция S", BgrFromRgb(0xFFFF00)},
        {"Такт функции V", BgrFromRgb(0xFFD9D9)},
        {"Тест T", BgrFromRgb(0x0000FF)},
        {"Фон крайней зоны", BgrFromRgb(0xC0C0C0)},
        {"Фон основной зоны", BgrFromRgb(0xFFFFFF)},
        {"Ячейка диаграммы", BgrFromRgb(0xFFFF00)},
        {"Сигнал до начального такта", BgrFromRgb(0xF0CAA6)},
        {"Зонд-данные", BgrFromRgb(0x0000FF)},
        {"Зонд-эталон", BgrFromRgb(0xFFFF00)},
        {"Последний отработанный такт", BgrFromRgb(0x99CCCC)},
        {"Такт отработки в отладке", BgrFromRgb(0xD7D7D7)},
        {"Фон фиксированной зоны", BgrFromRgb(0x808080)},
        {"Перо фиксированной зоны", BgrFromRgb(0x000000)},
        {"Перо номера циклов", BgrFromRgb(0x000000)},
        {"Фон активного цикла", BgrFromRgb(0xF0CAA6)},
        {"Перо таблицы", BgrFromRgb(0x000000)},
        {"Фон таблицы", BgrFromRgb(0xC0C0C0)},
        {"Данные таблицы", BgrFromRgb(0x008000)},
        {"Отладка таблицы", BgrFromRgb(0x008000)},
        {"Входное слово таблицы", BgrFromRgb(0x000000)},
        {"Выходное слово таблицы", BgrFromRgb(0x000000)},
        {"Номера слов", BgrFromRgb(0x0000FF)},
        {"Ошибочное слово данных", BgrFromRgb(0xFF0000)},
    }};
    return table;
}

void ViewColours::Reset()
{
    const auto &table = ColourTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        m_values[i] = table[i].defaultBgr;
}

std::uint32_t ViewColours::Get(int index) const
{
    return index >= 0 && index < kColourCount ? m_values[static_cast<std::size_t>(index)] : 0;
}

void ViewColours::Set(int index, std::uint32_t bgr)
{
    if (index >= 0 && index < kColourCount)
        m_values[static_cast<std::size_t>(index)] = bgr & 0x00FFFFFF;
}

std::optional<int> ViewColours::IndexOf(std::string_view name) const
{
    const auto &table = ColourTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].name == name)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

} // namespace qv
