#include "cli/CtlMode.h"

#include "cli/Ctl.h"
#include "cli/CtlOutput.h"
#include "device/ChipDevice.h"
#include "device/EchoText.h"
#include "device/RegisterCodecs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>
#include <sstream>

#include <QJsonArray>

namespace zvx {

namespace {

constexpr int kOk = 0;
constexpr int kUsage = 2;

std::string fixed(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

const char* sourceName(TimingSource s)
{
    switch (s) {
    case TimingSource::Dmt: return "VESA DMT";
    case TimingSource::Cta861: return "CTA-861";
    case TimingSource::Cvt: return "CVT";
    }
    return "";
}

// The command's words without the options in front of it.
std::vector<std::string> commandWords(const std::vector<std::string>& args)
{
    auto first = std::find_if(args.begin(), args.end(), [](const std::string& a) { return a.rfind("--", 0) != 0; });
    return {first, args.end()};
}

TimingLookup lookUp(const std::string& name)
{
    const bool plain = name.size() <= 40 && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '@' || c == '.';
    });
    if (!plain)
        return {std::nullopt, "no video mode is called '" + echoText(name) + "'"};
    return findTiming(name);
}

bool isPsdOption(const std::string& word)
{
    return word == "--psd" || word.rfind("--psd=", 0) == 0;
}

// A size-and-rate name is computed by CVT; the standard timing of that size
// and rate, where there is one, is usually what a source sends.
std::optional<VideoTiming> standardFor(const VideoTiming& t)
{
    if (t.source != TimingSource::Cvt || t.reducedBlanking)
        return std::nullopt;
    return standardTimingFor(t.width, t.height, t.refreshHz);
}

QJsonObject figure(double value, const char* unit)
{
    return {{"value", value}, {"unit", unit}};
}

// A number as shown in the text ("48.363"), as a JSON number.
double shown(const std::string& text)
{
    return std::strtod(text.c_str(), nullptr);
}

QJsonObject modeJson(const VideoTiming& t)
{
    const U1Figures u1 = u1Figures(t);
    QJsonObject o{{"name", jsonText(t.name)},
                  {"standard", sourceName(t.source)},
                  {"reduced_blanking", t.reducedBlanking},
                  {"total_pixels", t.totalPixels},
                  {"hsync", figure(shown(hsyncText(t.lineKHz())), "kHz")},
                  {"pixel_clock", figure(shown(fixed(t.pixelClockMHz, 3)), "MHz")},
                  {"u1_usable", u1.usable}};
    if (!u1.usable)
        o.insert("u1_reason", jsonText(u1.reason));
    return o;
}

void list(const std::string& text, CtlOutput& output)
{
    const std::vector<VideoTiming> found = searchTimings(text);
    QJsonArray modes;
    for (const VideoTiming& t : found)
        modes.append(modeJson(t));
    output.print({{"command", "mode"}, {"action", "list"}, {"filter", jsonText(text)}, {"modes", modes}},
                 [&found](const QJsonObject&) {
                     std::string lines;
                     for (const VideoTiming& t : found) {
                         const U1Figures u1 = u1Figures(t);
                         char line[160];
                         std::snprintf(line, sizeof line, "%-18s %5d total  %8s kHz  %8s MHz  %s", t.name.c_str(),
                                       t.totalPixels, hsyncText(t.lineKHz()).c_str(),
                                       fixed(t.pixelClockMHz, 3).c_str(), sourceName(t.source));
                         lines.append(line);
                         if (t.reducedBlanking)
                             lines.append(" reduced blanking");
                         if (!u1.usable)
                             lines.append("  (not for U1: ").append(u1.reason).append(")");
                         lines.append("\n");
                     }
                     return lines;
                 });
    if (found.empty() && !output.json())
        output.err() << "no video mode matches '" << echoText(text) << "'\n";
}

std::string showText(const VideoTiming& t)
{
    const U1Figures u1 = u1Figures(t);
    std::ostringstream out;
    out << "name " << t.name << "\n"
        << "standard " << sourceName(t.source) << (t.reducedBlanking ? " reduced blanking" : "") << "\n"
        << "active " << t.width << "x" << t.height << (t.interlaced ? " interlaced" : "") << "\n"
        << "total " << t.totalPixels << "x" << t.totalLines << "\n"
        << "pixel-clock " << fixed(t.pixelClockMHz, 3) << " MHz\n"
        << "hsync " << hsyncText(t.lineKHz()) << " kHz\n"
        << "refresh " << fixed(t.refreshHz, 3) << (t.interlaced ? " fields/s" : " Hz") << "\n"
        << "sync " << (t.hsyncPositive ? "+hsync " : "-hsync ") << (t.vsyncPositive ? "+vsync" : "-vsync") << "\n"
        << "u1-total " << u1.total << "\n";
    if (!u1.usable) {
        out << "u1 not possible: " << u1.reason << "\n";
        return out.str();
    }
    out << "u1-divider " << u1.divider << "\n";
    for (std::size_t i = 0; i < kU1PsdRatios.size(); ++i)
        out << "vco-speed-psd-" << kU1PsdRatios[i] << " " << fixed(u1.vcoMHz[i], 3) << " MHz\n";
    if (const auto standard = standardFor(t))
        out << "standard-mode " << standard->name << " (total " << standard->totalPixels << ")\n";
    return out.str();
}

void show(const VideoTiming& t, CtlOutput& output)
{
    const U1Figures u1 = u1Figures(t);
    QJsonObject o = modeJson(t);
    o.insert("command", "mode");
    o.insert("action", "show");
    o.insert("active", QJsonObject{{"width", t.width}, {"height", t.height}});
    o.insert("interlaced", t.interlaced);
    o.insert("total_lines", t.totalLines);
    o.insert("refresh", figure(shown(fixed(t.refreshHz, 3)), t.interlaced ? "fields/s" : "Hz"));
    o.insert("hsync_positive", t.hsyncPositive);
    o.insert("vsync_positive", t.vsyncPositive);
    o.insert("u1_total", u1.total);
    if (u1.usable) {
        o.insert("u1_divider", u1.divider);
        QJsonObject vco;
        for (std::size_t i = 0; i < kU1PsdRatios.size(); ++i)
            vco.insert(QString::number(kU1PsdRatios[i]), figure(shown(fixed(u1.vcoMHz[i], 3)), "MHz"));
        o.insert("vco_speed_by_psd", vco);
    }
    if (const auto standard = standardFor(t))
        o.insert("standard_mode", QJsonObject{{"name", jsonText(standard->name)}, {"total_pixels", standard->totalPixels}});
    output.print(o, [&t](const QJsonObject&) { return showText(t); });
}

// "apply NAME [--psd N]": the timing and the PSD option, or the usage error.
std::optional<std::string> parseApply(const std::vector<std::string>& words, ModeCommand& request)
{
    std::optional<std::string> name;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (isPsdOption(w)) {
            std::string value = w == "--psd" ? (i + 1 < words.size() ? words[++i] : std::string()) : w.substr(6);
            const auto ratio = std::find_if(kU1PsdRatios.begin(), kU1PsdRatios.end(),
                                            [&](int r) { return std::to_string(r) == value; });
            if (ratio == kU1PsdRatios.end())
                return "bad PSD '" + echoText(value) + "' (expected 2, 4, 8 or 16)";
            request.psdIndex = static_cast<int>(ratio - kU1PsdRatios.begin());
        } else if (!name && w.rfind("--", 0) != 0) {
            name = w;
        } else {
            return "mode apply takes NAME [--psd 2|4|8|16], not '" + echoText(w) + "'";
        }
    }
    if (!name)
        return std::string("mode apply needs a mode name");
    TimingLookup found = lookUp(*name);
    if (!found.timing)
        return found.error;
    const U1Figures u1 = u1Figures(*found.timing);
    if (!u1.usable)
        return found.timing->name + " cannot be set on U1: " + u1.reason;
    request.timing = std::move(*found.timing);
    return std::nullopt;
}

// Register 1 and then the feedback divider, each written as the U1 panel's
// write procedure writes it: the register(s), the PLL reset, the lock status.
void apply(const ModeCommand& request, ChipDevice& u1, const std::string& where, CtlOutput& output)
{
    const U1Figures figures = u1Figures(request.timing);
    auto silent = [&] {
        output.print({{"command", "mode"}, {"action", "apply"}, {"device", "U1"},
                      {"error", jsonText(u1.notAnsweringSentence(where))}},
                     [](const QJsonObject& r) { return plainText(r["error"]) + "\n"; });
    };
    if (request.psdIndex) {
        // The PFD bits of register 1 stay as the chip holds them.
        const int loopCntl = u1.readRegister(reg::LoopCntl);
        if (!u1.answered())
            return silent();
        u1.writeRegister(reg::LoopCntl, static_cast<std::int16_t>(composeLoopCntl(decodePfd(loopCntl), request.psdIndex)));
        u1.writeZeroToPLLreset();
        u1.readLockStatus();
    }
    u1.writeRegister(reg::FdBk0, static_cast<std::int16_t>(fdBk0Of(figures.divider)));
    u1.writeRegister(reg::FdBk1, static_cast<std::int16_t>(composeFdBk1(fdBk1Of(figures.divider))));
    u1.writeZeroToPLLreset();
    const int status = u1.readLockStatus();
    if (!u1.answered())
        return silent();
    const std::string hsync = hsyncText(request.timing.lineKHz());
    QJsonObject result{{"command", "mode"},
                       {"action", "apply"},
                       {"device", "U1"},
                       {"name", jsonText(request.timing.name)},
                       {"total_pixels", figures.total},
                       {"divider", figures.divider},
                       {"hsync", figure(shown(hsync), "kHz")},
                       {"pll", lockWord(isPllLockedBit(status))},
                       {"dpa", lockWord(isDpaLockedBit(status))}};
    if (request.psdIndex)
        result.insert("psd", kU1PsdRatios[static_cast<std::size_t>(*request.psdIndex)]);
    output.print(result, [&](const QJsonObject& r) {
        std::string line = "U1: " + request.timing.name + ": Total Pixels/Line " + std::to_string(figures.total) +
                           " (divider " + std::to_string(figures.divider) + ")";
        if (request.psdIndex)
            line += ", PSD " + std::to_string(r["psd"].toInt());
        return line + ", Hsync " + hsync + " kHz; PLL " + plainText(r["pll"]) + ", DPA " + plainText(r["dpa"]) + "\n";
    });
}

} // namespace

bool isModeQuery(const std::vector<std::string>& args)
{
    const std::vector<std::string> words = commandWords(args);
    return words.size() >= 2 && words[0] == "mode" && (words[1] == "list" || words[1] == "show");
}

int runModeQuery(const std::vector<std::string>& args, CtlEnvironment& env)
{
    CtlOutput output(env.out, env.err, std::find(args.begin(), args.end(), "--json") != args.end());
    auto parsed = parseModeCommand(commandWords(args));
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        output.refusal("mode", 0, *error);
        return kUsage;
    }
    const ModeCommand& command = std::get<ModeCommand>(parsed);
    if (command.kind == ModeCommand::Kind::List)
        list(command.filter, output);
    else
        show(command.timing, output);
    return kOk;
}

std::vector<std::string> withModeOptionsLast(const std::vector<std::string>& args)
{
    const std::vector<std::string> words = commandWords(args);
    if (words.empty() || words[0] != "mode")
        return args;
    std::vector<std::string> kept, moved;
    const auto end = std::find(args.begin(), args.end(), "--");
    for (auto it = args.begin(); it != end; ++it) {
        if (isPsdOption(*it)) {
            moved.push_back(*it);
            if (*it == "--psd" && std::next(it) != end)
                moved.push_back(*++it);
        } else {
            kept.push_back(*it);
        }
    }
    if (end == args.end() && !moved.empty())
        kept.push_back("--");
    kept.insert(kept.end(), end, args.end());
    kept.insert(kept.end(), moved.begin(), moved.end());
    return kept;
}

std::variant<ModeCommand, std::string> parseModeCommand(const std::vector<std::string>& words)
{
    const std::string what = words.size() > 1 ? words[1] : std::string();
    ModeCommand command;
    if (what == "list" && words.size() <= 3) {
        command.kind = ModeCommand::Kind::List;
        command.filter = words.size() == 3 ? words[2] : std::string();
        return command;
    }
    if (what == "show" && words.size() == 3) {
        TimingLookup found = lookUp(words[2]);
        if (!found.timing)
            return found.error;
        command.kind = ModeCommand::Kind::Show;
        command.timing = std::move(*found.timing);
        return command;
    }
    if (what == "apply") {
        command.kind = ModeCommand::Kind::Apply;
        if (auto error = parseApply(words, command))
            return *error;
        return command;
    }
    return std::string("usage: mode list [TEXT] | mode show NAME | mode apply NAME [--psd 2|4|8|16]");
}

void runModeCommand(const ModeCommand& command, ChipDevice& u1, const std::string& where, CtlOutput& output)
{
    switch (command.kind) {
    case ModeCommand::Kind::List: list(command.filter, output); break;
    case ModeCommand::Kind::Show: show(command.timing, output); break;
    case ModeCommand::Kind::Apply: apply(command, u1, where, output); break;
    }
}

} // namespace zvx
