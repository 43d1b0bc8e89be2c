#pragma once

// TfmParams ("Параметры"): the operator edits the settings on five pages
// ("Общие", "Система", "Цвета", "Блок диагностики", "Результаты"). The window
// works on copies: OK checks the probe thresholds, the unit's address and the
// results database, then gives the copies back (Settings(), Tester());
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

    void SetUnitActions(UnitActions actions) { m_unitActions = std::move(actions); }

    // What OK took from the pages.
    const TSettings &Settings() const { return m_settings; }
    const TesterSettings &Tester() const { return m_tester; }
    int Page() const;

    void accept() override;
    void reject() override;

    // The pages' fields, for the tests.
    QTabWidget *Pages() const { return m_pages; }
    QCheckBox *OptionBox(int index) const { return m_options.at(static_cast<std::size_t>(index)); }
    QComboBox *PassesList() const { return m_passes; }
    QLineEdit *DataEditorField() const { return m_dataEditor; }
    // Page "Результаты".
    QLineEdit *OperatorField() const { return m_operator; }
    QLineEdit *ResultsDatabaseField() const { return m_resultsDatabase; }
    QCheckBox *AskSerialBox() const { return m_askSerial; }
    QCheckBox *ShowConnectErrorBox() const { return m_showConnectError; }
    QCheckBox *IoCheckBox() const { return m_ioCheck; }
    QCheckBox *PollingBox() const { return m_polling; }
    QSpinBox *TimeoutField() const { return m_timeout; }
    QSpinBox *PeriodField() const { return m_period; }
    QWidget *ProbeGroup() const { return m_probeGroup; }
    QComboBox *ProbeModeList() const { return m_probeMode; }
    QComboBox *LowerList() const { return m_lower; }
    QComboBox *UpperList() const { return m_upper; }
    QPushButton *CheckLinkButton() const { return m_checkLink; }
    QPushButton *RebootButton() const { return m_reboot; }
    QComboBox *AddressList() const { return m_address; }
    QPushButton *CheckAddressButton() const { return m_checkAddress; }
    QTabWidget *ColourSheets() const { return m_colourSheets; }
    QListWidget *ElementList(int sheet) const { return m_elements.at(sheet); }
    QComboBox *ColourList(int sheet) const { return m_colourLists.at(sheet); }
    ColourPreview *Preview(int sheet) const { return m_previews.at(sheet); }
    const ViewColours &Colours() const { return m_colours; }

signals:
    void ColoursChanged(const qv::ViewColours &colours);

private:
    QWidget *BuildGeneralPage();
    QWidget *BuildSystemPage();
    QWidget *BuildColourPage();
    QWidget *BuildResultsPage();
    QWidget *BuildUnitPage();
    QWidget *BuildColourSheet(int sheet);
    void ShowProbeChoice(const ProbeChoice &choice);
    ProbeChoice ProbeChoiceShown() const;
    void UpdateSystemEnabled();
    void OnCurrentControlClicked(bool checked);
    void ShowElement(int sheet);
    void ChooseColour(int sheet, int item);
    void SetColour(int index, std::uint32_t bgr);
    bool CheckThresholds();
    void TakeGeneral();
    void TakeSystem();
    // The address in the field; a message and false when it cannot be used.
    bool CheckAddress();
    bool CheckResultsDatabase();
    void TakeResults();

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
