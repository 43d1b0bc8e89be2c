#include "probe/d2xxlink.h"

#include <dlfcn.h>

namespace qv::probe {

const std::array<const char *, 45> kD2xxFunctions{
    "FT_Close",
    "FT_ClrDtr",
    "FT_ClrRts",
    "FT_EE_Read",
    "FT_EE_UARead",
    "FT_EE_UASize",
    "FT_EE_UAWrite",
    "FT_EraseEE",
    "FT_GetBitMode",
    "FT_GetDeviceInfo",
    "FT_GetEventStatus",
    "FT_GetLatencyTimer",
    "FT_GetModemStatus",
    "FT_GetQueueStatus",
    "FT_GetStatus",
    "FT_IoCtl",
    "FT_ListDevices",
    "FT_Open",
    "FT_OpenEx",
    "FT_Purge",
    "FT_Read",
    "FT_ReadEE",
    "FT_ResetDevice",
    "FT_ResetPort",
    "FT_RestartInTask",
    "FT_SetBaudRate",
    "FT_SetBitMode",
    "FT_SetBreakOff",
    "FT_SetBreakOn",
    "FT_SetChars",
    "FT_SetDataCharacteristics",
    "FT_SetDivisor",
    "FT_SetDtr",
    "FT_SetEventNotification",
    "FT_SetFlowControl",
    "FT_SetLatencyTimer",
    "FT_SetResetPipeRetryCount",
    "FT_SetRts",
    "FT_SetTimeouts",
    "FT_SetUSBParameters",
    "FT_SetWaitMask",
    "FT_StopInTask",
    "FT_WaitOnMask",
    "FT_Write",
    "FT_WriteEE",
};

namespace {

template <typename F>
F As(void *symbol)
{
    return reinterpret_cast<F>(symbol);
}

LinkStatus StatusOf(D2xxLibrary::Status status)
{
    return status == 0 ? LinkStatus::Ok : static_cast<LinkStatus>(status & 0xFFFFFFFFu);
}

} // namespace

std::unique_ptr<D2xxLibrary> D2xxLibrary::Load(std::string *message, std::string_view name)
{
    const std::string file(name);
    void *library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        *message = "Необходимый файл динамической библиотеки " + file + " не найден";
        return nullptr;
    }
    std::unique_ptr<D2xxLibrary> bound(new D2xxLibrary);
    bound->m_library = library;
    std::array<void *, kD2xxFunctions.size()> symbols{};
    for (std::size_t i = 0; i < kD2xxFunctions.size(); ++i) {
        symbols[i] = dlsym(library, kD2xxFunctions[i]);
        if (symbols[i] == nullptr) {
            *message = "Загрузка библиотеки " + file + ": не удалось экспортировать функцию \"" +
                       kD2xxFunctions[i] + "\"";
            return nullptr;
        }
    }
    const auto at = [&symbols](std::string_view wanted) {
        for (std::size_t i = 0; i < kD2xxFunctions.size(); ++i) {
            if (wanted == kD2xxFunctions[i])
                return symbols[i];
        }
        return static_cast<void *>(nullptr);
    };
    bound->openEx = As<OpenEx>(at("FT_OpenEx"));
    bound->purge = As<Purge>(at("FT_Purge"));
    bound->getQueueStatus = As<GetQueueStatus>(at("FT_GetQueueStatus"));
    bound->read = As<Read>(at("FT_Read"));
    bound->write = As<Write>(at("FT_Write"));
    bound->close = As<Close>(at("FT_Close"));
    return bound;
}

D2xxLibrary::~D2xxLibrary()
{
    if (m_library)
        dlclose(m_library);
}

D2xxLink::D2xxLink(std::unique_ptr<D2xxLibrary> library)
    : m_library(std::move(library))
{}

D2xxLink::~D2xxLink()
{
    if (m_handle)
        Close();
}

LinkStatus D2xxLink::OpenEx(std::string_view description, std::uint32_t flags)
{
    if (m_handle)
        return LinkStatus::DeviceNotOpened;
    std::string text(description);
    D2xxLibrary::Handle handle = nullptr;
    const LinkStatus status = StatusOf(m_library->openEx(text.data(), flags, &handle));
    if (status == LinkStatus::Ok)
        m_handle = handle;
    return status;
}

LinkStatus D2xxLink::Purge(std::uint32_t mask)
{
    if (!m_handle)
        return LinkStatus::InvalidHandle;
    return StatusOf(m_library->purge(m_handle, mask));
}

LinkStatus D2xxLink::GetQueueStatus(std::uint32_t &queued)
{
    if (!m_handle)
        return LinkStatus::InvalidHandle;
    return StatusOf(m_library->getQueueStatus(m_handle, &queued));
}

LinkStatus D2xxLink::Read(std::span<std::uint8_t> buffer, std::uint32_t &received)
{
    if (!m_handle)
        return LinkStatus::InvalidHandle;
    return StatusOf(m_library->read(m_handle, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size()), &received));
}

LinkStatus D2xxLink::Write(std::span<const std::uint8_t> bytes, std::uint32_t &written)
{
    if (!m_handle)
        return LinkStatus::InvalidHandle;
    return StatusOf(m_library->write(m_handle, bytes.data(),
                                     static_cast<std::uint32_t>(bytes.size()), &written));
}

LinkStatus D2xxLink::Close()
{
    if (!m_handle)
        return LinkStatus::InvalidHandle;
    const LinkStatus status = StatusOf(m_library->close(m_handle));
    m_handle = nullptr;
    return status;
}

} // namespace qv::probe
