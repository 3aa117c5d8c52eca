#pragma once
// What the pattern generator hands the renderer, without any widget: the
// video modes and refresh rates of the two lists, the pattern names, the
// settings record with its start values, the automatic X size, the check
// that a bitmap can be read, and the display-timing line.

#include "zvxrenderer.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace zvx {

struct VideoMode {
    int width;
    int height;
};

// cmboMode by list position.
inline constexpr std::array<VideoMode, 9> kVideoModes{{{640, 480}, {800, 600}, {1024, 768}, {1152, 864},
                                                       {1280, 1024}, {1600, 1200}, {1792, 1344}, {1856, 1392},
                                                       {1920, 1440}}};
// cmboRefreshRate by list position, Hz.
inline constexpr std::array<int, 5> kRefreshRates{{60, 70, 75, 85, 100}};

inline constexpr int kPatternCount = 21;
inline constexpr int kUseBitmapPattern = 20;
inline constexpr int kStartPattern = 7;  // "Auto Vertical Line"

QStringList videoModeItems();    // "640x480", ...
QStringList refreshRateItems();  // "60 Hz", ...
// The caption of obPattern entry i, "Box" to "Use Bitmap".
QString patternCaption(int index);

// videoSettings as the program starts: box size 16, black background, white
// foreground, black seed, X and Y size 10, increments 1, 0, 0.
videoSettings startVideoSettings();

// What lasts for the whole run: the record the renderer reads, and whether
// every pattern start still sets its X size from the mode width.
struct VideoPatternState {
    videoSettings settings = startVideoSettings();
    bool autoXsize = true;  // until the first change of the X-Size box
};

// Colours of the record (0x00BBGGRR) and of the colour dialog.
QColor qColorOf(std::int32_t settingsColor);
std::int32_t settingsColorOf(const QColor& color);

// The automatic X size: 256 bars across the width (2 for 640, 7 for 1920).
inline std::int32_t autoXsizeFor(int width) { return width / 256; }

// The eight arguments of DrawTestPattern but the hot-key procedure.
struct PatternCall {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t reserved = 0;
    std::int32_t refreshRate = 0;
    std::int32_t pattern = 0;
    videoSettings* settings = nullptr;
    QByteArray bitmapFile;  // zero-terminated by QByteArray; empty unless pattern 20
};

// Steps 1 to 4 of runVideoPattern: the mode and rate from the list
// positions (0 for "none selected", -1), the pattern (0 when none), and the
// automatic X size written into the record when it is on.
PatternCall makePatternCall(VideoPatternState& state, int modeIndex, int rateIndex, int pattern);

// Empty when the file can be opened and read as a bitmap the renderer can
// show; otherwise why not ("there is no such file", ...).
QString bitmapProblem(const QString& path);

// ---- The display timing line ----

// The renderer's answer for one mode, as the window shows it.
struct DisplayTimingInfo {
    bool known = false;         // false: the query failed (note says why)
    int width = 0;
    int height = 0;
    bool modeChange = false;
    double refreshHz = 0;
    double pixelClockHz = 0;    // 0 unknown
    int totalPixelsPerLine = 0; // 0 unknown
    QString videoDriver;
    QString note;
};

DisplayTimingInfo timingInfoOf(std::int32_t result, const ZvxDisplayTiming& t);

// "Display: 1024x768 at 60.00 Hz, 1344 pixels/line, Hsync 48.36 kHz", with a
// second line when the pattern does not fill the screen; or what is not
// known and why.
QString displayTimingText(const DisplayTimingInfo& t, int patternWidth, int patternHeight);

// The line's Hsync in kHz as the calculator's six-character box takes it
// ("48.363"); empty when unknown.
QString hsyncKhzText(const DisplayTimingInfo& t);

// True when "Use for U1" can take the line's total: it is known and the
// chip's feedback divider can make it (9 to 4095 pixels per line).
bool totalUsableForU1(const DisplayTimingInfo& t);

} // namespace zvx
