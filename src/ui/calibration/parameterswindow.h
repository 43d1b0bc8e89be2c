#pragma once

// TfmCalibrateMk ("Просмотр ЧВП"): the parameters a type-0 unit reports,
// one row each with the value to see on the oscilloscope and the real
// value. Clicking a row makes the unit generate that parameter's signal
// (the row blinks meanwhile); clicking it again stops it. The wait window
// opens from here.
//
// The columns share the table's width: 44 % for the oscilloscope value, 28 %
// for the real value, the rest for the name; the window is made wide enough
// at the start for each share to show its texts whole.

#include "ui/calibration/calibrationsession.h"

#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>

class QPushButton;
class QTableWidget;
class QTimer;

namespace qv::calibration {

struct UnitParameter
{
    std::string name; // as the unit sent it, converted to UTF-8
    float value = 0;  // µs
};

// The answer of the parameter list: a count (1..50), then per entry a name
// length (at least 1), the name and a value. nullopt with `problem` naming
// the fault ("Calibr::paramCount", "Calibr::strLen", or a short answer).
std::optional<std::vector<UnitParameter>> ParseParameters(std::span<const std::uint8_t> answer,
                                                          std::string *problem);

class TfmCalibrateMk : public QDialog
{
    Q_OBJECT

public:
    struct Context
    {
        TCP &tester;
        TthHardStatus *monitor = nullptr;
        std::filesystem::path clbPath; // the wait table file
        int maxWidth = 16;             // the widest bus of the open file
        QString caption;               // the command's text without "&"
    };

    static std::unique_ptr<TfmCalibrateMk> Open(const Context &context, QWidget *parent = nullptr);
    ~TfmCalibrateMk() override;

    QTableWidget *Table() const { return m_table; }
    QPushButton *WaitButton() const { return m_wait; }
    int GeneratingRow() const { return m_generating; }
    // Whether the generating row shows its blink colour now.
    bool BlinkOn() const { return m_blinkOn; }

    void done(int result) override;

protected:
    // The columns take their shares of the width the window has now.
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    TfmCalibrateMk(const Context &context, QWidget *parent);
    void FitColumns();
    // The narrowest table width at which every column's share shows its
    // header and texts whole.
    int NeededTableWidth() const;
    bool ReadParameters();
    void ClickRow(int row);
    void StopGenerating();
    void OpenWaitWindow();
    void PaintRow(int row, bool highlighted);

    Context m_context;
    CalibrationSession m_session;
    QTableWidget *m_table = nullptr;
    QPushButton *m_wait = nullptr;
    QTimer *m_blink = nullptr;
    int m_generating = -1; // the row whose signal the unit generates; -1 none
    bool m_blinkOn = false;
};

} // namespace qv::calibration
