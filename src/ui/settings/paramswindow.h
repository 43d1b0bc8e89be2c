#pragma once

// TfmParams ("Параметры"): the operator edits the settings on five pages
// ("Общие", "Система", "Цвета", "Блок диагностики", "Результаты"). The window
// works on copies: OK checks the probe thresholds, the unit's address and the
// results database, then gives the copies back (settings(), tester());
// Cancel or closing gives nothing back. Colour changes are announced at once
// (coloursChanged) so the views can show them; Cancel announces the colours
// the window opened with.
//
// The parts are split by page: paramswindow.cpp (frame, "Общие", OK and
// Cancel), paramssystem.cpp ("Система"), paramscolours.cpp ("Цвета"),
// paramsunit.cpp ("Блок диагностики": the unit's address); "Результаты"
// (operator, results database, serial prompt) is in paramswindow.cpp.

#include "execution/port/testerport.h"
#include "model/settings/displaycolours.h"
#include "model/settings/settings.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"
#include "ui/settings/probethresholds.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace qv::settings {

class ColourPreview;

class TfmParams : public QDialog
{
    Q_OBJECT

public:
    enum Page : int {
        PageGeneral = 0,
        PageSystem = 1,
        PageColours = 2,
        PageUnit = 3,
        PageResults = 4
    };
    enum ColourSheet : int { SheetDiagram = 0, SheetTable = 1 };

    struct UnitActions
    {
        std::function<void()> checkLink; // "Проверить связь"
        std::function<void()> reboot;    // "Перезагрузка"
        // "Проверить связь" of the page "Блок диагностики": the address in
        // the field, waiting at most the time-out in the field (ms).
        std::function<void(const std::string &address, int timeoutMs)> checkAddress;
    };

    // dosUnit hides the probe thresholds; modelW5 makes ticking current
    // control ask first. page: the page shown first.
    TfmParams(const TSettings &settings, const TesterSettings &tester, bool dosUnit, bool modelW5,
              int page, QWidget *parent = nullptr);
    ~TfmParams() override;

    void setUnitActions(UnitActions actions) { m_unitActions = std::move(actions); }

    // What OK took from the pages.
    const TSettings &settings() const { return m_settings; }
    const TesterSettings &tester() const { return m_tester; }
    int page() const;

    void accept() override;
    void reject() override;

    // The pages' fields, for the tests.
    QTabWidget *pages() const { return m_pages; }
    QCheckBox *optionBox(int index) const { return m_options.at(static_cast<std::size_t>(index)); }
    QComboBox *passesList() const { return m_passes; }
    QLineEdit *dataEditorField() const { return m_dataEditor; }
    // Page "Результаты".
    QLineEdit *operatorField() const { return m_operator; }
    QLineEdit *resultsDatabaseField() const { return m_resultsDatabase; }
    QCheckBox *askSerialBox() const { return m_askSerial; }
    QCheckBox *showConnectErrorBox() const { return m_showConnectError; }
    QCheckBox *ioCheckBox() const { return m_ioCheck; }
    QCheckBox *pollingBox() const { return m_polling; }
    QSpinBox *timeoutField() const { return m_timeout; }
    QSpinBox *periodField() const { return m_period; }
    QWidget *probeGroup() const { return m_probeGroup; }
    QComboBox *probeModeList() const { return m_probeMode; }
    QComboBox *lowerList() const { return m_lower; }
    QComboBox *upperList() const { return m_upper; }
    QPushButton *checkLinkButton() const { return m_checkLink; }
    QPushButton *rebootButton() const { return m_reboot; }
    QComboBox *addressList() const { return m_address; }
    QPushButton *checkAddressButton() const { return m_checkAddress; }
    QTabWidget *colourSheets() const { return m_colourSheets; }
    QListWidget *elementList(int sheet) const { return m_elements.at(sheet); }
    QComboBox *colourList(int sheet) const { return m_colourLists.at(sheet); }
    ColourPreview *preview(int sheet) const { return m_previews.at(sheet); }
    const ViewColours &colours() const { return m_colours; }

signals:
    void coloursChanged(const qv::ViewColours &colours);

private:
    QWidget *buildGeneralPage();
    QWidget *buildSystemPage();
    QWidget *buildColourPage();
    QWidget *buildResultsPage();
    QWidget *buildUnitPage();
    QWidget *buildColourSheet(int sheet);
    void showProbeChoice(const ProbeChoice &choice);
    ProbeChoice probeChoice() const;
    void updateSystemEnabled();
    void onCurrentControlClicked(bool checked);
    void showElement(int sheet);
    void chooseColour(int sheet, int item);
    void setColour(int index, std::uint32_t bgr);
    bool checkThresholds();
    void takeGeneral();
    void takeSystem();
    // The address in the field; a message and false when it cannot be used.
    bool checkAddress();
    bool checkResultsDatabase();
    void takeResults();

    TSettings m_settings;
    TesterSettings m_tester;
    const ViewColours m_openingColours;
    ViewColours m_colours;
    views::ViewPictures m_pictures;
    TQorFunc m_painter;
    bool m_dosUnit;
    bool m_modelW5;
    UnitActions m_unitActions;

    QTabWidget *m_pages = nullptr;
    std::array<QCheckBox *, 11> m_options{};
    QComboBox *m_passes = nullptr;
    QLineEdit *m_dataEditor = nullptr;
    QLineEdit *m_operator = nullptr;
    QLineEdit *m_resultsDatabase = nullptr;
    QCheckBox *m_askSerial = nullptr;
    QCheckBox *m_showConnectError = nullptr;
    QCheckBox *m_ioCheck = nullptr;
    QCheckBox *m_polling = nullptr;
    QSpinBox *m_timeout = nullptr;
    QSpinBox *m_period = nullptr;
    QWidget *m_probeGroup = nullptr;
    QComboBox *m_probeMode = nullptr;
    QComboBox *m_lower = nullptr;
    QComboBox *m_upper = nullptr;
    QPushButton *m_checkLink = nullptr;
    QPushButton *m_reboot = nullptr;
    QComboBox *m_address = nullptr;
    QPushButton *m_checkAddress = nullptr;
    QTabWidget *m_colourSheets = nullptr;
    std::array<QListWidget *, 2> m_elements{};
    std::array<QComboBox *, 2> m_colourLists{};
    std::array<ColourPreview *, 2> m_previews{};
};

// The question asked when current control is ticked on a W5 system.
extern const char *const kW5CurrentControlQuestion;

} // namespace qv::settings
