#pragma once

// The main window's commands that open windows of their own or check the
// unit: "Свойства файла", "Параметры", the calibration ("&Настройка ЧВП" or
// "&Просмотр ЧВП"), the current check, the help (also on F1) and "О
// программе". It keeps the settings window's last page and the wait table
// file. The window's document, store and colours outlive this object (a
// child of the window); what the window does with new settings is the
// host's.

#include <QObject>
#include <filesystem>
#include <functional>

class QWidget;

namespace qv {

class DeskSession;
class SettingsStore;
class TQuorvik;
class ViewColours;

namespace desk {

struct MainActions;

class WindowCommands : public QObject
{
public:
    struct Parts
    {
        QWidget &window; // parents the windows and this object
        TQuorvik &document;
        SettingsStore &store;
        DeskSession *desk; // null: no unit to set up or check
        const MainActions &actions;
        ViewColours &colours; // the views' colours, changed live by "Параметры"
    };
    struct Host
    {
        std::function<bool()> fileOpen;
        // The colours changed, or the settings window closed.
        std::function<void()> refreshViews;
        // "Параметры" was confirmed: the store holds the new settings.
        std::function<void()> settingsAccepted;
    };
    // Connects the commands.
    WindowCommands(Parts parts, Host host);

    // The wait table file the calibration windows write (default: the
    // program's own ".clb").
    void SetCalibrationFile(std::filesystem::path path) { m_clbPath = std::move(path); }

private:
    void ShowFileProperties();
    // OK takes the settings, Cancel gives the colours back.
    void OpenParams();
    void OpenCalibration();
    void CheckCurrents();

    Parts m_parts;
    Host m_host;
    int m_paramsPage = 0; // the settings window reopens on its last page
    std::filesystem::path m_clbPath;
};

} // namespace desk
} // namespace qv
