#include "model/functions/func.h"

#include <array>

namespace qv {
namespace {

struct DirectionTexts
{
    std::string_view tag;
    std::string_view fCaption;
    std::string_view sCaption;
};

constexpr std::array kDirections = {
    DirectionTexts{"FW", "запись в файл (FW)", "чтение из устройства"},
    DirectionTexts{"FR", "чтение из файла (FR)", "запись в устройство"},
    DirectionTexts{"FC", "сравнение с файлом (FC)", "чтение из устройства с проверкой"},
};

const DirectionTexts *Direction(std::int32_t value)
{
    if (value < 0 || value >= static_cast<std::int32_t>(kDirections.size()))
        return nullptr;
    return &kDirections[static_cast<std::size_t>(value)];
}

} // namespace

std::string_view DirectionTag(std::int32_t direction)
{
    const auto *texts = Direction(direction);
    return texts ? texts->tag : std::string_view();
}

std::string_view FuncFTypeCaption(std::int32_t type)
{
    const auto *texts = Direction(type);
    return texts ? texts->fCaption : std::string_view();
}

std::string_view FuncSModeCaption(std::int32_t mode)
{
    const auto *texts = Direction(mode);
    return texts ? texts->sCaption : std::string_view();
}

std::string DataFileCaption(std::string_view fileName)
{
    return fileName.empty() ? std::string("<не задано>") : std::string(fileName);
}

} // namespace qv
