#include "cli/CtlBode.h"

#include "calculator/LoopResponse.h"
#include "setup/AtomicFile.h"

#include <algorithm>
#include <ostream>

namespace zvx {

namespace {

// The printed order of the loop's figures.
constexpr LoopFigure kPrinted[] = {
    kCrossoverFigure,          kPhaseMarginFigure,       kBandwidthFigure,     kPeakingFigure, kOvershootFigure,
    kSettlingFigure,           kSampledPhaseMarginFigure, kSampledOvershootFigure, kSampledStableFigure,
};

void printLine(const Figure& f, std::ostream& out, std::ostream& err)
{
    out << f.name << ' ' << f.value << (f.unit.empty() || f.value == "?" ? "" : " " + f.unit) << "\n";
    if (f.value == "?" && !f.cause.empty())
        err << "zvx7246ctl: " << f.name << ": " << f.cause << "\n";
}

int writeCurves(const LoopResponse& r, const std::string& file, std::ostream& out, std::ostream& err)
{
    if (!r.ok()) {
        err << "zvx7246ctl: no Bode curves: " << r.problem << "\n";
        return 1;
    }
    // A curve that holds an infinity or a NaN is refused, not written.
    if (const std::string problem = curveProblem(r); !problem.empty()) {
        err << "zvx7246ctl: no Bode curves: " << problem << "\n";
        return 1;
    }
    if (const auto failed = replaceFileAtomically(file, loopResponseCsv(r))) {
        err << "zvx7246ctl: " << failed->message << "\n";
        return 1;
    }
    for (LoopFigure i : kPrinted)
        printLine(r.figures[static_cast<std::size_t>(i)], out, err);
    for (const std::string& w : r.warnings)
        err << "zvx7246ctl: warning: " << w << "\n";
    return 0;
}

} // namespace

int writeBodeCurves(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err)
{
    return writeCurves(computeLoopResponse(in), file, out, err);
}

int runLoopFilterBode(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err)
{
    const LoopResponse r = computeLoopResponse(in);
    int status = 0;
    for (std::size_t i = 0; i < r.pageFigures.size(); ++i) {
        const Figure& f = r.pageFigures[i];
        if (f.value.empty())
            break;  // not computed after a figure that failed
        printLine(f, out, err);
        // fp2 without C2 is no failure: the loop is second order.
        const bool secondOrder = i == kFp2Figure - kFzeroFigure && in.c2 == 0 && r.ok();
        if (f.value == "?" && !secondOrder)
            status = 1;
    }
    return std::max(status, writeCurves(r, file, out, err));
}

} // namespace zvx
