#include "video/VideoPatternModel.h"

#include "calculator/VideoTimings.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace zvx {

namespace {

constexpr std::array<const char*, kPatternCount> kPatternCaptions{{
    "Box", "Hs", "Vertical Lines", "Horizontal Lines", "45 Degree Lines", "Check Box", "Moving Pattern",
    "Auto Vertical Line", "Auto Horizontal Line", "Auto Dot", "Color Auto Vertical Lines", "Color Bands",
    "Advanced Vertical Lines", "Advanced Horizontal Lines", "Vertical Bars with Lines",
    "Horizontal Bars with Lines", "Vertical Color Bars", "Horizontall Color Bars",
    "Vertical Lines on Color Bands", "Horizontal Lines on Color Bands", "Use Bitmap",
}};

} // namespace

QStringList videoModeItems()
{
    QStringList items;
    for (const VideoMode& m : kVideoModes)
        items << QStringLiteral("%1x%2").arg(m.width).arg(m.height);
    return items;
}

QStringList refreshRateItems()
{
    QStringList items;
    for (int hz : kRefreshRates)
        items << QStringLiteral("%1 Hz").arg(hz);
    return items;
}

QString patternCaption(int index)
{
    if (index < 0 || index >= kPatternCount)
        return {};
    return QString::fromLatin1(kPatternCaptions[static_cast<std::size_t>(index)]);
}

videoSettings startVideoSettings()
{
    videoSettings s{};
    s.checkBoxSize = 16;
    s.backColor = 0x000000;
    s.foreColor = 0xFFFFFF;
    s.seedColor = 0x000000;
    s.xSize = 10;
    s.ySize = 10;
    s.redIncr = 1;
    s.grnIncr = 0;
    s.blueIncr = 0;
    return s;
}

QColor qColorOf(std::int32_t settingsColor)
{
    const auto v = static_cast<std::uint32_t>(settingsColor);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

std::int32_t settingsColorOf(const QColor& color)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(color.red())
                                     | static_cast<std::uint32_t>(color.green()) << 8
                                     | static_cast<std::uint32_t>(color.blue()) << 16);
}

PatternCall makePatternCall(VideoPatternState& state, int modeIndex, int rateIndex, int pattern)
{
    PatternCall call;
    if (modeIndex >= 0 && modeIndex < static_cast<int>(kVideoModes.size())) {
        call.width = kVideoModes[static_cast<std::size_t>(modeIndex)].width;
        call.height = kVideoModes[static_cast<std::size_t>(modeIndex)].height;
    }
    if (rateIndex >= 0 && rateIndex < static_cast<int>(kRefreshRates.size()))
        call.refreshRate = kRefreshRates[static_cast<std::size_t>(rateIndex)];
    call.pattern = pattern >= 0 && pattern < kPatternCount ? pattern : 0;
    if (state.autoXsize)
        state.settings.xSize = autoXsizeFor(call.width);
    call.settings = &state.settings;
    return call;
}

QString bitmapProblem(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QImageReader reader(&file, "bmp");
    QImage image;
    if (!reader.read(&image))
        return QStringLiteral("it is not a bitmap (.bmp) the renderer can show (%1)").arg(reader.errorString());
    return {};
}

DisplayTimingInfo timingInfoOf(std::int32_t result, const ZvxDisplayTiming& t)
{
    DisplayTimingInfo info;
    info.known = result != 0 && t.width > 0 && t.height > 0;
    info.width = t.width;
    info.height = t.height;
    info.modeChange = t.modeChange != 0;
    info.refreshHz = t.refreshHz;
    info.pixelClockHz = t.pixelClockHz;
    info.totalPixelsPerLine = t.totalPixelsPerLine;
    info.videoDriver = QString::fromUtf8(t.videoDriver, static_cast<int>(qstrnlen(t.videoDriver, sizeof t.videoDriver)));
    info.note = QString::fromUtf8(t.note, static_cast<int>(qstrnlen(t.note, sizeof t.note)));
    return info;
}

QString displayTimingText(const DisplayTimingInfo& t, int patternWidth, int patternHeight)
{
    if (!t.known)
        return QStringLiteral("Display timing unknown: %1").arg(t.note.isEmpty() ? QStringLiteral("no answer") : t.note);
    QString text = QStringLiteral("Display: %1x%2").arg(t.width).arg(t.height);
    if (t.refreshHz > 0)
        text += QStringLiteral(" at %1 Hz").arg(t.refreshHz, 0, 'f', 2);
    else
        text += QStringLiteral(" (refresh rate unknown)");
    if (t.pixelClockHz > 0 && t.totalPixelsPerLine > 0) {
        text += QStringLiteral(", %1 pixels/line, Hsync %2 kHz")
                    .arg(t.totalPixelsPerLine)
                    .arg(t.pixelClockHz / t.totalPixelsPerLine / 1000.0, 0, 'f', 2);
    } else {
        text += QStringLiteral("; pixels/line unknown");
        if (!t.note.isEmpty())
            text += QStringLiteral(" (%1)").arg(t.note);
    }
    if (patternWidth > 0 && patternHeight > 0 && (patternWidth != t.width || patternHeight != t.height)) {
        const bool fits = patternWidth <= t.width && patternHeight <= t.height;
        text += QStringLiteral("\nThe %1x%2 pattern is drawn %3 of the screen.")
                    .arg(patternWidth)
                    .arg(patternHeight)
                    .arg(fits ? QStringLiteral("at its own size in the middle")
                              : QStringLiteral("scaled down to the size"));
    }
    return text;
}

QString hsyncKhzText(const DisplayTimingInfo& t)
{
    if (!t.known || t.pixelClockHz <= 0 || t.totalPixelsPerLine <= 0)
        return {};
    const double khz = t.pixelClockHz / t.totalPixelsPerLine / 1000.0;
    // Six characters at most: "48.363", "106.27".
    QString text = QString::number(khz, 'f', khz >= 100 ? 2 : 3);
    return text.left(6);
}

bool totalUsableForU1(const DisplayTimingInfo& t)
{
    return t.known && t.pixelClockHz > 0 && t.totalPixelsPerLine >= kMinU1Total
           && t.totalPixelsPerLine <= kMaxU1Total;
}

} // namespace zvx
