#pragma once
// The pattern window frmVideoPatterns, "Video Pattern Generator": which of
// the 21 patterns to show, in which video mode and at which refresh rate,
// the bitmap for "Use Bitmap", and Execute, which runs the pattern
// full-screen through the renderer until Esc while the hot keys step U1.
// Below the lists it shows what the display will really run for the chosen
// mode, and "Use for U1" takes that line's total and Hsync. A display that
// reports its mode but not its pixel clock is offered the standard timing
// of that size and rate instead.

#include "video/RendererLibrary.h"
#include "video/VideoPatternModel.h"
#include "calculator/VideoTimings.h"

#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace zvx {

class Lab;
class OptionGroup;

class frmVideoPatterns : public QWidget {
    Q_OBJECT
public:
    // rendererPath: the --renderer option, empty to look for the library
    // beside the program and in the installed library folder.
    frmVideoPatterns(Lab& lab, const QString& rendererPath, QWidget* parent = nullptr);

    // The load step: first video mode, first refresh rate, "Auto Vertical Line".
    void Form_Load();
    // Behind both "Execute" buttons: shows the chosen pattern and returns
    // when the renderer has ended the display.
    void runVideoPattern();
    // "Select Bmp File": Cancel keeps the file chosen before.
    void cmdBrowse_Click();
    // Puts the display's total into U1's "Total Pixels/Line" (written at once
    // with automatic write on, as Enter in the box would) and its Hsync into
    // the calculator: the display's own figures, else the standard mode's.
    void cmdUseForU1_Click();
    // Asks the renderer what the chosen mode will really run at.
    void refreshDisplayTiming();

    VideoPatternState& patternState() { return state_; }
    // The file name CommonDialog1 holds: empty until a bitmap was chosen.
    const QString& bitmapFile() const { return bitmapFile_; }
    const std::optional<DisplayTimingInfo>& displayTiming() const { return timing_; }
    // The standard timing offered when the display does not tell its own.
    const std::optional<VideoTiming>& standardTiming() const { return standard_; }

    // "Advanced ...": the application object shows the advanced window.
    std::function<void()> showAdvanced;
    // A run has made its call (the X size chosen), before the renderer starts.
    std::function<void()> patternChosen;

    OptionGroup* obPattern = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QComboBox* cmboMode = nullptr;
    QComboBox* cmboRefreshRate = nullptr;
    QPushButton* cmdExecute = nullptr;
    QPushButton* cmdAdvancedSettings = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblDisplayTiming = nullptr;
    QPushButton* cmdUseForU1 = nullptr;

    // A pattern is on the screen (its hot keys may be writing to the chip).
    bool isRunning() const { return running_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void warn(const QString& text);

    Lab& lab_;
    VideoPatternState state_;
    RendererLibrary renderer_;
    QString bitmapFile_;
    bool running_ = false;  // a pattern is on the screen
    std::optional<DisplayTimingInfo> timing_;
    std::optional<VideoTiming> standard_;
};

} // namespace zvx
