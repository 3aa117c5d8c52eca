#pragma once
// The advanced window frmAdvancedVideoSettings, "Advanced Video Settings":
// the line / box size and the foreground and background colours of the
// black-and-white patterns, and the seed colour, bar sizes and colour
// increments of the colour-bar patterns. Every edit goes into the settings
// record at once; the record outlives the window.

#include "video/VideoPatternModel.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;
class Spinner;

class frmAdvancedVideoSettings : public QWidget {
    Q_OBJECT
public:
    // execute runs the pattern (runVideoPattern of the pattern window).
    frmAdvancedVideoSettings(Lab& lab, VideoPatternState& state, std::function<void()> execute,
                             QWidget* parent = nullptr);

    // The load step, once: the boxes and swatches show the record.
    void Form_Load();
    // While X sizing is automatic, X-Size shows the size the run draws with;
    // showing it is not the user's change, so sizing stays automatic.
    void showAutomaticXsize();

    QLineEdit* txtCheckBoxSize = nullptr;
    Spinner* UpDownCheckBoxSize = nullptr;
    QPushButton* cmdForegroundColor = nullptr;
    QLabel* lblForeColorIndicator = nullptr;
    QPushButton* cmdBackgroundColor = nullptr;
    QLabel* lblBackColorIndicator = nullptr;
    QPushButton* cmdSeedColor = nullptr;
    QLabel* lblSeedColorIndicator = nullptr;
    QLineEdit* txtXsize = nullptr;
    Spinner* UpDown1 = nullptr;
    QLineEdit* txtYsize = nullptr;
    Spinner* UpDown2 = nullptr;
    QLineEdit* txtRedIncr = nullptr;
    Spinner* UpDownRedIncr = nullptr;
    QLineEdit* txtGrnIncr = nullptr;
    Spinner* UpDownGrnIncr = nullptr;
    QLineEdit* txtBlueIncr = nullptr;
    Spinner* UpDownBlueIncr = nullptr;
    QPushButton* cmdExecute = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    void buildControls();
    // Opens the colour dialog on the field's colour; OK stores the choice
    // and shows it in the swatch.
    void chooseColor(std::int32_t& field, QLabel* swatch);

    Lab& lab_;
    VideoPatternState& state_;
    std::function<void()> execute_;
};

} // namespace zvx
