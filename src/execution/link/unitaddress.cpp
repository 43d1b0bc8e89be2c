#include "execution/link/unitaddress.h"

#include <charconv>

namespace qv {

namespace {

std::optional<int> Number(std::string_view text, int low, int high)
{
    int value = 0;
    const auto *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<UnitAddress> Fail(std::string *why, std::string text)
{
    if (why != nullptr)
        *why = std::move(text);
    return std::nullopt;
}

std::optional<UnitAddress> ParseTcp(UnitAddress address, std::string_view rest, std::string *why)
{
    std::string_view host;
    std::string_view port;
    if (rest.starts_with('[')) {
        const auto close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return Fail(why, "адрес IPv6 пишется как [АДРЕС]:ПОРТ");
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return Fail(why, "не указан порт (нужно tcp://УЗЕЛ:ПОРТ)");
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (host.empty())
        return Fail(why, "не указан узел (нужно tcp://УЗЕЛ:ПОРТ)");
    const auto number = Number(port, 1, 65535);
    if (!number)
        return Fail(why, "порт должен быть числом от 1 до 65535");
    address.transport = UnitAddress::Transport::Tcp;
    address.host = std::string(host);
    address.port = *number;
    return address;
}

std::optional<UnitAddress> ParseSerial(UnitAddress address, std::string_view rest, std::string *why)
{
    std::string_view device = rest;
    const auto query = rest.find('?');
    if (query != std::string_view::npos) {
        device = rest.substr(0, query);
        const std::string_view option = rest.substr(query + 1);
        if (!option.starts_with("baud="))
            return Fail(why, "после \"?\" допускается только baud=СКОРОСТЬ");
        const auto baud = Number(option.substr(5), 50, 4000000);
        if (!baud)
            return Fail(why, "скорость должна быть числом от 50 до 4000000");
        address.baud = *baud;
    }
    if (device.empty())
        return Fail(why, "не указано устройство (нужно serial:/dev/ttyACM0)");
    address.transport = UnitAddress::Transport::Serial;
    address.device = std::string(device);
    return address;
}

} // namespace

std::optional<UnitAddress> ParseUnitAddress(std::string_view text, std::string *why)
{
    UnitAddress address;
    address.text = std::string(text);
    if (text == "sim")
        return address;
    if (text.starts_with("sim:")) {
        address.boardFile = std::string(text.substr(4));
        if (address.boardFile.empty())
            return Fail(why, "после \"sim:\" нужен путь к файлу описания платы");
        return address;
    }
    if (text.starts_with("tcp://"))
        return ParseTcp(std::move(address), text.substr(6), why);
    if (text.starts_with("serial:"))
        return ParseSerial(std::move(address), text.substr(7), why);
    return Fail(why, "ожидается sim, sim:ФАЙЛ, tcp://УЗЕЛ:ПОРТ или serial:УСТРОЙСТВО");
}

std::string BadUnitAddressMessage(std::string_view text, std::string_view why)
{
    return "Адрес блока диагностики \"" + std::string(text) +
           "\" не может быть использован: " + std::string(why) +
           ".\r\nИзмените его в разделе \"Блок диагностики\" настроек.";
}

} // namespace qv
