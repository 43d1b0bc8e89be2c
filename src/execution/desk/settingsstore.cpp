#include "execution/desk/settingsstore.h"

#include "execution/port/testerport.h"
#include "infra/notice.h"
#include "infra/paths.h"
#include "model/io/filestore.h"
#include "model/settings/settingsfile.h"

#include <exception>

namespace qv {

SettingsStore::SettingsStore(std::string cfgPath, std::string iniPath, FileStore *files)
    : m_cfgPath(std::move(cfgPath))
    , m_iniPath(std::move(iniPath))
    , m_files(files)
{
    if (m_files == nullptr) {
        m_ownFiles = std::make_unique<FileStore>();
        m_files = m_ownFiles.get();
    }
}

SettingsStore::~SettingsStore() = default;

SettingsStore::SettingsStore(SettingsStore &&other) noexcept
    : m_cfgPath(std::move(other.m_cfgPath))
    , m_iniPath(std::move(other.m_iniPath))
    , m_files(other.m_files)
    , m_ownFiles(std::move(other.m_ownFiles))
    , m_cfgText(std::move(other.m_cfgText))
    , m_cfgUnreadable(other.m_cfgUnreadable)
    , m_iniUnreadable(other.m_iniUnreadable)
    , m_settings(std::move(other.m_settings))
    , m_remote(std::move(other.m_remote))
    , m_placements(std::move(other.m_placements))
    , m_notices(std::move(other.m_notices))
{}

SettingsStore SettingsStore::ForApplication()
{
    SettingsStore store(AppFile(".cfg").string(), AppFile(".ini").string());
    store.m_settings.StartDirectory = ExecutableDir().string();
    return store;
}

namespace {

// nullopt for a missing file; an unreadable one is reported and marked.
std::optional<IniStore> ReadReported(const std::string &path, bool &unreadable,
                                     const NoticeSink &notices)
{
    unreadable = false;
    try {
        return ReadIniFile(path);
    } catch (const std::exception &e) {
        unreadable = true;
        Tell(notices, {NoticeKind::Warning,
                       std::string(e.what()) +
                           "\r\nИспользуются значения по умолчанию; при выходе этот файл "
                           "не будет перезаписан.",
                       {}});
        return std::nullopt;
    }
}

} // namespace

bool SettingsStore::Load(TCP *port, bool modelW5)
{
    auto cfg = ReadReported(m_cfgPath, m_cfgUnreadable, m_notices);
    auto ini = ReadReported(m_iniPath, m_iniUnreadable, m_notices);
    m_cfgText = cfg ? std::move(*cfg) : IniStore();
    m_settings.Load(m_cfgText, modelW5);
    m_remote.Load(m_cfgText);
    if (port != nullptr)
        port->LoadSettings(m_cfgText);
    if (ini)
        m_placements.SetStore(std::move(*ini));
    return !m_cfgUnreadable && !m_iniUnreadable;
}

bool SettingsStore::Save(const TCP *port)
{
    bool ok = false;
    if (!m_cfgUnreadable) {
        IniStore cfg = m_cfgText;
        m_settings.Save(cfg);
        m_remote.Save(cfg);
        if (port != nullptr)
            port->SaveSettings(cfg);
        ok = Write(m_cfgPath, cfg);
        if (ok)
            m_cfgText = std::move(cfg);
    }
    if (!m_iniUnreadable)
        ok = Write(m_iniPath, m_placements.Store()) && ok;
    else
        ok = false;
    return ok;
}

bool SettingsStore::Write(const std::string &path, const IniStore &store)
{
    try {
        WriteIniFile(path, store, *m_files);
        return true;
    } catch (const std::exception &) {
        Tell(m_notices, {NoticeKind::Warning,
                         "Не удалось сохранить настройки в файл " + path +
                             "\r\nПрежний файл настроек оставлен без изменений.",
                         {}});
        return false;
    }
}

} // namespace qv
