#include "execution/settingsstore.h"

#include "execution/testerport.h"
#include "infra/mesbo.h"
#include "infra/paths.h"
#include "model/filestore.h"
#include "model/settingsfile.h"

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
    , m_settings(std::move(other.m_settings))
    , m_placements(std::move(other.m_placements))
{}

SettingsStore SettingsStore::ForApplication()
{
    SettingsStore store(AppFile(".cfg").string(), AppFile(".ini").string());
    store.m_settings.StartDirectory = ExecutableDir().string();
    return store;
}

bool SettingsStore::Load(TCP *port, bool modelW5)
{
    bool ok = true;
    std::optional<IniStore> cfg;
    std::optional<IniStore> ini;
    try {
        cfg = ReadIniFile(m_cfgPath);
        ini = ReadIniFile(m_iniPath);
    } catch (const std::exception &e) {
        Mesbo().Show(std::string(e.what()) + "\r\nИспользуются значения по умолчанию.", MbWarning,
                     {});
        ok = false;
    }
    m_cfgText = cfg ? std::move(*cfg) : IniStore();
    m_settings.Load(m_cfgText, modelW5);
    if (port != nullptr)
        port->LoadSettings(m_cfgText);
    if (ini)
        m_placements.SetStore(std::move(*ini));
    return ok;
}

bool SettingsStore::Save(const TCP *port)
{
    IniStore cfg = m_cfgText;
    m_settings.Save(cfg);
    if (port != nullptr)
        port->SaveSettings(cfg);
    bool ok = Write(m_cfgPath, cfg);
    if (ok)
        m_cfgText = std::move(cfg);
    return Write(m_iniPath, m_placements.Store()) && ok;
}

bool SettingsStore::Write(const std::string &path, const IniStore &store)
{
    try {
        WriteIniFile(path, store, *m_files);
        return true;
    } catch (const std::exception &) {
        Mesbo().Show("Не удалось сохранить настройки в файл " + path +
                         "\r\nПрежний файл настроек оставлен без изменений.",
                     MbWarning, {});
        return false;
    }
}

} // namespace qv
