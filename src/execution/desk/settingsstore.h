#pragma once

// SettingsStore: the two settings files of the program and what they hold.
// The ".cfg" file carries TSettings and the tester port's section (read and
// written by the port object itself); the ".ini" file the window
// placements. Both are read once at start-up and written once at close.
//
// Keys and sections this build does not know survive a load and a save.

#include "infra/notice.h"
#include "model/settings/remotesettings.h"
#include "model/settings/settings.h"
#include "model/settings/windowplacements.h"

#include <memory>
#include <optional>
#include <string>

namespace qv {

class FileStore;
class TCP;

class SettingsStore
{
public:
    // files: the disk seam (tests simulate a failing disk); nullptr = the real one.
    SettingsStore(std::string cfgPath, std::string iniPath, FileStore *files = nullptr);
    ~SettingsStore();

    // The program's own ".cfg" and ".ini" (see AppFile), the start directory
    // defaulting to the executable's folder.
    static SettingsStore ForApplication();

    SettingsStore(SettingsStore &&) noexcept;
    SettingsStore &operator=(SettingsStore &&) = delete;
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Where the warnings of Load and Save go; empty: nobody is told.
    void SetNotices(NoticeSink notices) { m_notices = std::move(notices); }

    // A missing file keeps the defaults. An unreadable one is told as a
    // warning, keeps the defaults too and is not overwritten at
    // Save (what it holds may still be good); false then. The port, when
    // given, reads its own section.
    bool Load(TCP *port, bool modelW5);
    // Writes the ".cfg" (with the port's section when given), then the
    // ".ini". A failed write leaves that file as it was and is told as a
    // warning; false then, and when a file was skipped.
    bool Save(const TCP *port);

    TSettings &Settings() { return m_settings; }
    const TSettings &Settings() const { return m_settings; }
    WindowPlacements &Placements() { return m_placements; }
    // The remote-control section of the ".cfg" (filled in at Load).
    RemoteSettings &Remote() { return m_remote; }

    const std::string &CfgPath() const { return m_cfgPath; }
    const std::string &IniPath() const { return m_iniPath; }

private:
    bool Write(const std::string &path, const IniStore &store);

    std::string m_cfgPath;
    std::string m_iniPath;
    FileStore *m_files;
    std::unique_ptr<FileStore> m_ownFiles;
    IniStore m_cfgText; // as read, so that unknown keys are written back
    bool m_cfgUnreadable = false;
    bool m_iniUnreadable = false;
    TSettings m_settings;
    RemoteSettings m_remote;
    WindowPlacements m_placements;
    NoticeSink m_notices;
};

} // namespace qv
