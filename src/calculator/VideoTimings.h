#pragma once
// Video timings by name, for locking U1 to a source: the standard tables
// (every VESA Display Monitor Timing mode, reduced blanking included, and
// the common CTA-861 television formats) and, for any other size and rate,
// the Coordinated Video Timings formula as libxcvt computes it. From a
// timing follow the U1 figures: the chip's feedback divider makes the total
// pixels per line from Hsync, so a mode's total is U1's "Total Pixels/Line"
// and its line frequency the calculator's Hsync.
//
// Names: "1024x768@60", "1280x768@60rb", "1024x768@43i" (VESA), "720p60",
// "1080i50", "2160p59.94" (CTA-861); "WxH@R" or "WxH@Rrb" for CVT with
// standard or reduced blanking ("1920x1080@50", "2560x1080@75rb").

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

enum class TimingSource { Dmt, Cta861, Cvt };

struct VideoTiming {
    std::string name;
    TimingSource source = TimingSource::Dmt;
    int width = 0;            // active pixels per line
    int height = 0;           // active lines per frame
    int totalPixels = 0;      // pixels per line, blanking included
    int totalLines = 0;       // lines per frame (both fields when interlaced)
    double pixelClockMHz = 0;
    double refreshHz = 0;     // vertical rate: fields per second when interlaced
    bool interlaced = false;
    bool reducedBlanking = false;
    bool hsyncPositive = false;
    bool vsyncPositive = false;

    double lineKHz() const { return totalPixels > 0 ? pixelClockMHz * 1000.0 / totalPixels : 0.0; }
};

// One row of the standard tables, as the standards publish it. The line
// frequency and the vertical rate are the published (rounded) figures; the
// tests hold them against pixel clock and totals.
struct StandardTimingRow {
    const char* name;
    TimingSource source;
    int width, height;
    int totalPixels, totalLines;
    double pixelClockMHz;
    double lineKHz;
    double refreshHz;
    bool interlaced;
    bool reducedBlanking;
    bool hsyncPositive;
    bool vsyncPositive;
};

// Every VESA DMT mode followed by the CTA-861 formats.
std::span<const StandardTimingRow> standardTimingRows();

VideoTiming timingOf(const StandardTimingRow& row);

// The standard table as timings, in table order.
const std::vector<VideoTiming>& standardTimings();

// ---- Names

// The standard timing of that name (case does not matter), else a CVT name
// computed by libxcvt; an error text when it is neither or out of range.
struct TimingLookup {
    std::optional<VideoTiming> timing;
    std::string error;
};
TimingLookup findTiming(std::string_view name);

// "WxH@R" or "WxH@Rrb" computed by the CVT formula; empty with error set for
// a size or rate outside what the formula is meant for (8..16384 pixels or
// lines, 1..1000 Hz).
TimingLookup cvtTiming(int width, int height, double refreshHz, bool reducedBlanking);

// Another name of a timing: "1920x1080@50" for "1080p50", "1024x768@43" for
// "1024x768@43i"; the search matches it as it matches the name.
std::string sizeRateName(const VideoTiming& t);

// The list a search shows: every standard timing whose name or size-and-rate
// name contains text (case and blanks do not matter; empty lists all), then,
// when text is itself a CVT name ("1920x1080@50", "...rb") that no standard
// timing bears, the CVT timings it names (both blankings for "WxH@R").
std::vector<VideoTiming> searchTimings(std::string_view text);

// The standard timing of the same size and rate (the rate rounded to whole
// Hz), for a display that reports its mode but not its pixel clock.
std::optional<VideoTiming> standardTimingFor(int width, int height, double refreshHz);

// ---- What the timing means for U1

inline constexpr int kMinU1Total = 9;     // divider 1
inline constexpr int kMaxU1Total = 4095;  // the largest total the panel takes
inline constexpr std::array<int, 4> kU1PsdRatios = {2, 4, 8, 16};

struct U1Figures {
    int total = 0;
    int divider = 0;              // total - 8, as the panel computes it
    bool usable = false;          // the divider can make this total
    std::string reason;           // why not, when not usable
    double pixelClockMHz = 0;     // Hsync x total: the same for every PSD
    std::array<double, 4> vcoMHz{};  // per PSD option "2", "4", "8", "16"
};
U1Figures u1Figures(const VideoTiming& t);

// The line frequency as the calculator's six-character Hsync box takes it:
// "48.363", "135.00".
std::string hsyncText(double lineKHz);

// "1024x768 at 60.004 Hz, 1344 x 806 total, 65.000 MHz, Hsync 48.363 kHz,
// -hsync -vsync, VESA DMT" (one line).
std::string describeTiming(const VideoTiming& t);

} // namespace zvx
