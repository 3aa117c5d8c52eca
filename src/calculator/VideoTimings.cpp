#include "calculator/VideoTimings.h"

#include <libxcvt/libxcvt.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace zvx {

namespace {

std::string lowered(std::string_view text)
{
    std::string s;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "50", "59.94": the shortest text that reads back as the same rate.
std::string rateText(double hz)
{
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, hz);
    return ec == std::errc() ? std::string(buf, end) : std::to_string(hz);
}

std::string fixed(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

// A CVT name taken apart: "1920x1080@59.94rb".
struct CvtName {
    int width = 0;
    int height = 0;
    double refreshHz = 0;
    bool reducedBlanking = false;
};

std::optional<CvtName> parseCvtName(const std::string& name)
{
    CvtName n;
    const char* p = name.data();
    const char* const end = name.data() + name.size();
    auto number = [&](int& out) {
        const auto [next, ec] = std::from_chars(p, end, out);
        if (ec != std::errc() || next == p)
            return false;
        p = next;
        return true;
    };
    if (!number(n.width) || p == end || *p++ != 'x' || !number(n.height) || p == end || *p++ != '@')
        return std::nullopt;
    const auto [next, ec] = std::from_chars(p, end, n.refreshHz, std::chars_format::fixed);
    if (ec != std::errc() || next == p)
        return std::nullopt;
    p = next;
    const std::string_view rest(p, static_cast<std::size_t>(end - p));
    if (rest == "rb")
        n.reducedBlanking = true;
    else if (!rest.empty())
        return std::nullopt;
    return n;
}

const VideoTiming* standardNamed(const std::string& lowerName)
{
    for (const VideoTiming& t : standardTimings())
        if (lowered(t.name) == lowerName)
            return &t;
    return nullptr;
}

} // namespace

VideoTiming timingOf(const StandardTimingRow& row)
{
    VideoTiming t;
    t.name = row.name;
    t.source = row.source;
    t.width = row.width;
    t.height = row.height;
    t.totalPixels = row.totalPixels;
    t.totalLines = row.totalLines;
    t.pixelClockMHz = row.pixelClockMHz;
    t.refreshHz = row.refreshHz;
    t.interlaced = row.interlaced;
    t.reducedBlanking = row.reducedBlanking;
    t.hsyncPositive = row.hsyncPositive;
    t.vsyncPositive = row.vsyncPositive;
    return t;
}

const std::vector<VideoTiming>& standardTimings()
{
    // Built once from constant data and never changed: the table itself.
    static const std::vector<VideoTiming> timings = [] {
        std::vector<VideoTiming> v;
        for (const StandardTimingRow& row : standardTimingRows())
            v.push_back(timingOf(row));
        return v;
    }();
    return timings;
}

TimingLookup cvtTiming(int width, int height, double refreshHz, bool reducedBlanking)
{
    constexpr int kMinSide = 8;
    constexpr int kMaxSide = 16384;
    constexpr double kMaxRate = 1000;
    const std::string name = std::to_string(width) + "x" + std::to_string(height) + "@" + rateText(refreshHz) +
                             (reducedBlanking ? "rb" : "");
    if (width < kMinSide || width > kMaxSide || height < kMinSide || height > kMaxSide)
        return {std::nullopt, name + ": the size must be " + std::to_string(kMinSide) + " to " +
                                  std::to_string(kMaxSide) + " pixels each way"};
    if (!(refreshHz >= 1 && refreshHz <= kMaxRate))
        return {std::nullopt, name + ": the refresh rate must be 1 to 1000 Hz"};
    const std::unique_ptr<libxcvt_mode_info, decltype(&std::free)> m(
        libxcvt_gen_mode_info(width, height, static_cast<float>(refreshHz), reducedBlanking, false), &std::free);
    if (!m || m->htotal == 0 || m->vtotal == 0 || m->dot_clock == 0)
        return {std::nullopt, name + ": the CVT formula gives no timing for it"};
    VideoTiming t;
    t.name = name;
    t.source = TimingSource::Cvt;
    t.width = static_cast<int>(m->hdisplay);
    t.height = static_cast<int>(m->vdisplay);
    t.totalPixels = m->htotal;
    t.totalLines = m->vtotal;
    t.pixelClockMHz = static_cast<double>(m->dot_clock) / 1000.0;  // libxcvt gives kHz
    t.refreshHz = t.pixelClockMHz * 1e6 / (static_cast<double>(t.totalPixels) * t.totalLines);
    t.reducedBlanking = reducedBlanking;
    t.hsyncPositive = (m->mode_flags & LIBXCVT_MODE_FLAG_HSYNC_POSITIVE) != 0;
    t.vsyncPositive = (m->mode_flags & LIBXCVT_MODE_FLAG_VSYNC_POSITIVE) != 0;
    return {t, {}};
}

TimingLookup findTiming(std::string_view name)
{
    const std::string key = lowered(name);
    if (const VideoTiming* t = standardNamed(key))
        return {*t, {}};
    if (const auto cvt = parseCvtName(key))
        return cvtTiming(cvt->width, cvt->height, cvt->refreshHz, cvt->reducedBlanking);
    return {std::nullopt, "no video mode is called '" + std::string(name) +
                              "' (a standard name such as 1024x768@60 or 1080p50, or WxH@R[rb] for CVT)"};
}

std::string sizeRateName(const VideoTiming& t)
{
    if (t.source != TimingSource::Cta861)
        return t.name;
    // "1080p59.94": the rate follows the letter that says how it is scanned.
    const std::size_t letter = t.name.find_first_of("pi");
    const std::string rate = letter == std::string::npos ? rateText(t.refreshHz) : t.name.substr(letter + 1);
    return std::to_string(t.width) + "x" + std::to_string(t.height) + "@" + rate + (t.interlaced ? "i" : "");
}

std::vector<VideoTiming> searchTimings(std::string_view text)
{
    const std::string key = lowered(text);
    std::vector<VideoTiming> found;
    for (const VideoTiming& t : standardTimings())
        if (lowered(t.name).find(key) != std::string::npos || lowered(sizeRateName(t)).find(key) != std::string::npos)
            found.push_back(t);
    const auto cvt = parseCvtName(key);
    if (!cvt)
        return found;
    for (const bool rb : {false, true}) {
        if (cvt->reducedBlanking && !rb)
            continue;
        TimingLookup computed = cvtTiming(cvt->width, cvt->height, cvt->refreshHz, rb);
        if (computed.timing && !standardNamed(lowered(computed.timing->name)))
            found.push_back(std::move(*computed.timing));
    }
    return found;
}

std::optional<VideoTiming> standardTimingFor(int width, int height, double refreshHz)
{
    // A display names its rate in whole hertz or close to the real one; of
    // the modes that round alike, standard blanking first (a monitor's usual
    // mode), then the nearest rate (59.94 picks 1080p59.94, not 60).
    const VideoTiming* best = nullptr;
    for (const VideoTiming& t : standardTimings()) {
        if (t.width != width || t.height != height || t.interlaced ||
            std::lround(t.refreshHz) != std::lround(refreshHz))
            continue;
        auto worse = [&](const VideoTiming& a, const VideoTiming& b) {
            if (a.reducedBlanking != b.reducedBlanking)
                return a.reducedBlanking;
            return std::abs(a.refreshHz - refreshHz) > std::abs(b.refreshHz - refreshHz);
        };
        if (!best || worse(*best, t))
            best = &t;
    }
    return best ? std::optional<VideoTiming>(*best) : std::nullopt;
}

U1Figures u1Figures(const VideoTiming& t)
{
    U1Figures f;
    f.total = t.totalPixels;
    f.divider = t.totalPixels - 8;
    f.usable = f.total >= kMinU1Total && f.total <= kMaxU1Total;
    if (f.total > kMaxU1Total)
        f.reason = "total " + std::to_string(f.total) + " is above " + std::to_string(kMaxU1Total) +
                   ", the largest the feedback divider makes";
    else if (f.total < kMinU1Total)
        f.reason = "total " + std::to_string(f.total) + " is below " + std::to_string(kMinU1Total) +
                   ", the smallest the feedback divider makes";
    f.pixelClockMHz = t.pixelClockMHz;
    for (std::size_t i = 0; i < kU1PsdRatios.size(); ++i)
        f.vcoMHz[i] = t.pixelClockMHz * kU1PsdRatios[i];
    return f;
}

std::string hsyncText(double lineKHz)
{
    // Six characters at most: as many decimals as fit.
    for (int decimals = 3; decimals > 0; --decimals) {
        std::string s = fixed(lineKHz, decimals);
        if (s.size() <= 6)
            return s;
    }
    return fixed(lineKHz, 0);
}

std::string describeTiming(const VideoTiming& t)
{
    static constexpr const char* kSources[] = {"VESA DMT", "CTA-861", "CVT"};
    std::string s = std::to_string(t.width) + "x" + std::to_string(t.height);
    s += t.interlaced ? " interlaced at " + fixed(t.refreshHz, 3) + " fields/s" : " at " + fixed(t.refreshHz, 3) + " Hz";
    s += ", " + std::to_string(t.totalPixels) + " x " + std::to_string(t.totalLines) + " total, pixel clock " +
         fixed(t.pixelClockMHz, 3) + " MHz, Hsync " + fixed(t.lineKHz(), 3) + " kHz, " +
         (t.hsyncPositive ? "+hsync " : "-hsync ") + (t.vsyncPositive ? "+vsync" : "-vsync") + ", " +
         kSources[static_cast<int>(t.source)];
    if (t.reducedBlanking)
        s += " reduced blanking";
    return s;
}

} // namespace zvx
