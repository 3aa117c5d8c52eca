#pragma once
// The calculator's "Mode..." dialog, frmVideoModes ("Video Modes"): a
// searchable list of the standard video timings (and the CVT timing of any
// size and rate typed as WxH@R or WxH@Rrb). Choosing one puts its line
// frequency into Hsync and its total into U1's "Total Pixels/Line", with
// the PSD the user picks from the VCO speed each one gives; with automatic
// write on, U1 is written at once, as the panel's own writes do. A mode
// whose total the feedback divider cannot make is listed greyed, with why.

#include "calculator/VideoTimings.h"

#include <QDialog>

#include <array>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace zvx {

class Lab;
class OptionGroup;

class frmVideoModes : public QDialog {
    Q_OBJECT
public:
    explicit frmVideoModes(Lab& lab, QWidget* parent = nullptr);

    // Lists the modes that match the filter text, the first usable one
    // selected (so Enter takes it).
    void txtModeFilter_Change();
    // Shows the chosen mode's figures and the VCO speed per PSD.
    void lstModes_Click();
    // OK: sets U1 for the chosen mode and closes the dialog.
    void cmdOK_Click();

    // The mode chosen in the list, when the feedback divider can make it.
    std::optional<VideoTiming> selectedTiming() const;

    QLineEdit* txtModeFilter = nullptr;
    QListWidget* lstModes = nullptr;
    QLabel* lblModeTiming = nullptr;
    OptionGroup* obModePSD = nullptr;
    std::array<QRadioButton*, 4> obModePSDButtons{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    // PSD, Hsync and total into U1's panel and the calculator, as a user
    // would set them; the writes follow the automatic-write setting.
    void useForU1(const VideoTiming& timing, int psdIndex);

    Lab& lab_;
    std::vector<VideoTiming> listed_;  // by list row
};

} // namespace zvx
