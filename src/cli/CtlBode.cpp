#include "cli/CtlBode.h"

#include "calculator/LoopResponse.h"
#include "setup/AtomicFile.h"

#include <ostream>

namespace zvx {

int writeBodeCurves(const LoopFilterInputs& in, const std::string& file, std::ostream& out, std::ostream& err)
{
    const LoopResponse r = computeLoopResponse(in);
    if (!r.ok()) {
        err << "zvx7246ctl: no Bode curves: " << r.problem << "\n";
        return 1;
    }
    if (const auto failed = replaceFileAtomically(file, loopResponseCsv(r))) {
        err << "zvx7246ctl: " << failed->message << "\n";
        return 1;
    }
    // The first two figures are the crossover and the phase margin.
    for (int i = 0; i < 2; ++i)
        out << r.figures[i].name << ' ' << r.figures[i].value << ' ' << r.figures[i].unit << "\n";
    for (const std::string& w : r.warnings)
        err << "zvx7246ctl: warning: " << w << "\n";
    return 0;
}

} // namespace zvx
