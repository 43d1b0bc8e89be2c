#pragma once

// The remote-control values of the settings file, section "Удаленное
// управление": this installation's identification for the login, the
// address the server listens on, and what the remote window remembers
// (the address and port lists with their current texts, the chat splitter,
// the log check box).
//
// Lists are kept as one value, entries separated by ";" (addresses and
// ports hold none). The product number is made once, when the file has
// none: 36 characters, as the login asks, and kept from then on.

#include <string>
#include <string_view>
#include <vector>

namespace qv {

class IniStore;

struct RemoteSettings
{
    static constexpr std::string_view kSection = "Удаленное управление";
    static constexpr std::string_view kDefaultPort = "35000";
    // The server the client offers when its list is empty.
    static constexpr std::string_view kDefaultServerAddress = "127.0.0.1";

    std::string userName;      // empty: the system's user name at Load
    std::string productNumber; // empty: a new one at Load
    // The address the server listens on; empty: every interface.
    std::string listenAddress;

    std::vector<std::string> serverAddresses; // the client's history
    std::string serverAddress;                // its current text
    std::vector<std::string> clientPorts;
    std::string clientPort;
    std::vector<std::string> serverPorts;
    std::string serverPort;
    int chatSplitter = -1; // the chat log's height; -1: not set
    bool keepLog = false;  // "Вести лог-журнал работы"
    // What the folder of received files may hold: a peer cannot fill the
    // disk through it.
    static constexpr int kDefaultReceiveLimitMb = 256;
    static constexpr int kDefaultReceiveLimitFiles = 1000;
    int receiveLimitMb = kDefaultReceiveLimitMb;
    int receiveLimitFiles = kDefaultReceiveLimitFiles;

    // Load ends with EnsureIdentity.
    void Load(const IniStore &store);
    // Fills in a missing user name (the system's) and product number (a new one).
    void EnsureIdentity();
    void Save(IniStore &store) const;

    // Adds a text to a history list unless the list holds it already
    // (compared after trimming); an empty text is not added.
    static void Remember(std::vector<std::string> &list, const std::string &text);

    friend bool operator==(const RemoteSettings &, const RemoteSettings &) = default;
};

// A new product number: 36 characters in the 8-4-4-4-12 form.
std::string NewProductNumber();

} // namespace qv
