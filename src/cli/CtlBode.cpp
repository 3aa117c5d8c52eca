#include "cli/CtlBode.h"

#include "setup/AtomicFile.h"

#include <charconv>
#include <ostream>

namespace zvx {

namespace {

// The printed order of the loop's figures.
constexpr LoopFigure kPrinted[] = {
    kCrossoverFigure,          kPhaseMarginFigure,       kBandwidthFigure,     kPeakingFigure, kOvershootFigure,
    kSettlingFigure,           kSampledPhaseMarginFigure, kSampledOvershootFigure, kSampledStableFigure,
};

void addCurves(BodeRun& run, const LoopResponse& r, const std::string& file)
{
    auto fail = [&run](std::string why) {
        run.errors.push_back(std::move(why));
        run.status = 1;
    };
    if (!r.ok())
        return fail("no Bode curves: " + r.problem);
    // A curve that holds an infinity or a NaN is refused, not written.
    if (const std::string problem = curveProblem(r); !problem.empty())
        return fail("no Bode curves: " + problem);
    if (const auto failed = replaceFileAtomically(file, loopResponseCsv(r)))
        return fail(failed->message);
    for (LoopFigure i : kPrinted)
        run.figures.push_back(r.figures[static_cast<std::size_t>(i)]);
    run.warnings = r.warnings;
}

QString text(const std::string& s) { return QString::fromStdString(s); }

} // namespace

BodeRun bodeCurves(const LoopFilterInputs& in, const std::string& file)
{
    BodeRun run;
    addCurves(run, computeLoopResponse(in), file);
    return run;
}

BodeRun loopFilterBode(const LoopFilterInputs& in, const std::string& file)
{
    const LoopResponse r = computeLoopResponse(in);
    BodeRun run;
    for (std::size_t i = 0; i < r.pageFigures.size(); ++i) {
        const Figure& f = r.pageFigures[i];
        if (f.value.empty())
            break;  // not computed after a figure that failed
        run.figures.push_back(f);
        // fp2 without C2 is no failure: the loop is second order.
        const bool secondOrder = i == kFp2Figure - kFzeroFigure && in.c2 == 0 && r.ok();
        if (f.value == "?" && !secondOrder)
            run.status = 1;
    }
    addCurves(run, r, file);
    return run;
}

void printBodeNotes(const BodeRun& run, std::ostream& err)
{
    err << figureCauses(run.figures);
    for (const std::string& e : run.errors)
        err << "zvx7246ctl: " << e << "\n";
    for (const std::string& w : run.warnings)
        err << "zvx7246ctl: warning: " << w << "\n";
}

int writeBodeCurves(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err)
{
    const BodeRun run = bodeCurves(in, file);
    out << figureLines(run.figures);
    printBodeNotes(run, err);
    return run.status;
}

std::string figureLines(const std::vector<Figure>& figures)
{
    std::string lines;
    for (const Figure& f : figures)
        lines += f.name + ' ' + f.value + (f.unit.empty() || f.value == "?" ? "" : " " + f.unit) + "\n";
    return lines;
}

std::string figureCauses(const std::vector<Figure>& figures)
{
    std::string lines;
    for (const Figure& f : figures)
        if (f.value == "?" && !f.cause.empty())
            lines += "zvx7246ctl: " + f.name + ": " + f.cause + "\n";
    return lines;
}

QJsonObject figuresJson(const char* command, const char* page, const std::vector<Figure>& figures)
{
    QJsonObject all;
    for (const Figure& f : figures) {
        double number = 0;
        const char* first = f.value.data();
        const auto [ptr, ec] = std::from_chars(first, first + f.value.size(), number);
        QJsonValue value = QJsonValue::Null;
        if (f.value == "yes" || f.value == "no")
            value = f.value == "yes";
        else if (!f.value.empty() && ec == std::errc() && ptr == first + f.value.size())
            value = number;
        QJsonObject o{{"value", value}, {"unit", f.unit.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text(f.unit))}};
        if (value.isNull() && !f.cause.empty())
            o.insert("cause", text(f.cause));
        all.insert(text(f.name), o);
    }
    return {{"command", command}, {"page", page}, {"figures", all}};
}

} // namespace zvx
