#include "model/settings/remotesettings.h"

#include "model/ini/inistore.h"

#include <cstdlib>
#include <random>

namespace qv {

namespace {

constexpr std::string_view kKeyUser = "Имя пользователя";
constexpr std::string_view kKeyProduct = "Номер продукта";
constexpr std::string_view kKeyListen = "Адрес прослушивания сервера";
constexpr std::string_view kKeyAddresses = "Адреса сервера";
constexpr std::string_view kKeyAddress = "Адрес сервера";
constexpr std::string_view kKeyClientPorts = "Порты клиента";
constexpr std::string_view kKeyClientPort = "Порт клиента";
constexpr std::string_view kKeyServerPorts = "Порты сервера";
constexpr std::string_view kKeyServerPort = "Порт сервера";
constexpr std::string_view kKeySplitter = "Разделитель чата";
constexpr std::string_view kKeyLog = "Вести лог-журнал работы";
constexpr std::string_view kKeyReceiveMb = "Объем папки приема файлов, МБ";
constexpr std::string_view kKeyReceiveFiles = "Число файлов в папке приема";

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitList(const std::string &text)
{
    std::vector<std::string> list;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find(';', start), text.size());
        RemoteSettings::Remember(list, text.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

std::string JoinList(const std::vector<std::string> &list)
{
    std::string text;
    for (const std::string &entry : list) {
        if (!text.empty())
            text += ';';
        text += entry;
    }
    return text;
}

std::string SystemUserName()
{
    const char *user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? std::string(user) : std::string("оператор");
}

} // namespace

std::string NewProductNumber()
{
    std::random_device device;
    std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device());
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string number;
    for (const int group : {8, 4, 4, 4, 12}) {
        if (!number.empty())
            number += '-';
        for (int i = 0; i < group; ++i)
            number += kDigits[random() % kDigits.size()];
    }
    return number;
}

void RemoteSettings::Remember(std::vector<std::string> &list, const std::string &text)
{
    const std::string entry = Trimmed(text);
    if (entry.empty())
        return;
    for (const std::string &known : list)
        if (Trimmed(known) == entry)
            return;
    list.push_back(entry);
}

void RemoteSettings::Load(const IniStore &store)
{
    userName = store.ReadString(kSection, kKeyUser, userName);
    productNumber = store.ReadString(kSection, kKeyProduct, productNumber);
    listenAddress = Trimmed(store.ReadString(kSection, kKeyListen, listenAddress));
    if (const auto text = store.Find(kSection, kKeyAddresses))
        serverAddresses = SplitList(*text);
    serverAddress = store.ReadString(kSection, kKeyAddress, serverAddress);
    if (const auto text = store.Find(kSection, kKeyClientPorts))
        clientPorts = SplitList(*text);
    clientPort = store.ReadString(kSection, kKeyClientPort, clientPort);
    if (const auto text = store.Find(kSection, kKeyServerPorts))
        serverPorts = SplitList(*text);
    serverPort = store.ReadString(kSection, kKeyServerPort, serverPort);
    chatSplitter = store.ReadInteger(kSection, kKeySplitter, chatSplitter);
    keepLog = store.ReadBool(kSection, kKeyLog, keepLog);
    // A limit of 0 or less would refuse every file: the default serves.
    const int mb = store.ReadInteger(kSection, kKeyReceiveMb, receiveLimitMb);
    receiveLimitMb = mb > 0 ? mb : kDefaultReceiveLimitMb;
    const int files = store.ReadInteger(kSection, kKeyReceiveFiles, receiveLimitFiles);
    receiveLimitFiles = files > 0 ? files : kDefaultReceiveLimitFiles;
    EnsureIdentity();
}

void RemoteSettings::EnsureIdentity()
{
    if (Trimmed(userName).empty())
        userName = SystemUserName();
    if (productNumber.empty())
        productNumber = NewProductNumber();
}

void RemoteSettings::Save(IniStore &store) const
{
    store.WriteString(kSection, kKeyUser, userName);
    store.WriteString(kSection, kKeyProduct, productNumber);
    store.WriteString(kSection, kKeyListen, listenAddress);
    store.WriteString(kSection, kKeyAddresses, JoinList(serverAddresses));
    store.WriteString(kSection, kKeyAddress, serverAddress);
    store.WriteString(kSection, kKeyClientPorts, JoinList(clientPorts));
    store.WriteString(kSection, kKeyClientPort, clientPort);
    store.WriteString(kSection, kKeyServerPorts, JoinList(serverPorts));
    store.WriteString(kSection, kKeyServerPort, serverPort);
    store.WriteInteger(kSection, kKeySplitter, chatSplitter);
    store.WriteInteger(kSection, kKeyLog, keepLog ? 1 : 0);
    store.WriteInteger(kSection, kKeyReceiveMb, receiveLimitMb);
    store.WriteInteger(kSection, kKeyReceiveFiles, receiveLimitFiles);
}

} // namespace qv
