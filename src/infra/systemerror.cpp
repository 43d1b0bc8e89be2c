#include "infra/systemerror.h"

#include <array>
#include <cstring>

namespace qv {
namespace {

// strerror_r comes in two forms; each overload takes the result of one.
[[maybe_unused]] std::string TextOf(int result, const char *buffer, int error)
{
    return result == 0 ? std::string(buffer) : "ошибка " + std::to_string(error);
}

[[maybe_unused]] std::string TextOf(const char *result, const char *, int)
{
    return result;
}

} // namespace

std::string SystemErrorText(int error)
{
    std::array<char, 256> buffer{};
    return TextOf(::strerror_r(error, buffer.data(), buffer.size()), buffer.data(), error);
}

} // namespace qv
