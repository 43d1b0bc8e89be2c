#include "model/functions/datafileview.h"

#include "infra/messages.h"

#include <fstream>
#include <system_error>

namespace qv {
namespace {

constexpr int kMsgFileTooBig = 10;
constexpr int kMsgReadFailed = 11;
constexpr int kMsgFileMissing = 12;
constexpr int kMsgFileEmpty = 67;

std::string Quoted(int message, std::string_view name)
{
    return Msg(message) + " \"" + std::string(name) + "\"";
}

} // namespace

std::string CheckDataFileSize(std::int64_t size, std::string_view name)
{
    if (size >= 1 && size <= kMaxDataFileSize)
        return {};
    const std::string file = "Файл \"" + std::string(name) + "\" ";
    return file + Msg(size > kMaxDataFileSize ? kMsgFileTooBig : kMsgFileEmpty);
}

DataFileBytes ReadDataFileToView(const std::filesystem::path &path, std::string_view name)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {{}, Quoted(kMsgFileMissing, name)};
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return {{}, Quoted(kMsgReadFailed, name)};
    if (std::string refusal = CheckDataFileSize(static_cast<std::int64_t>(size), name);
        !refusal.empty())
        return {{}, std::move(refusal)};
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(size)))
        return {{}, Quoted(kMsgReadFailed, name)};
    return {std::move(bytes), {}};
}

} // namespace qv
