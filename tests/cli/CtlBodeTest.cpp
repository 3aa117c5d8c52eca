// `zvx7246ctl calc loop-filter ... --bode FILE.csv`: the same curves and
// figures as the Loop Response window.
#include "calculator/LoopResponse.h"
#include "cli/CtlBode.h"
#include "support/CtlRunner.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <sstream>

using namespace zvx;

// The figures of each loop: LoopEdgesTest; here what the command prints, and
// the window's curves it writes (nothing into a folder that is not there).
TEST(CtlBode, CalcLoopFilterPrintsThePageTheLoopAndTheSampledLoopAndWritesTheWindowsCurves)
{
    const struct {
        const char* name;
        LoopFilterInputs in;  // --pfd --r --c1 --c2 --n --kv --kd
        int status;
        const char* out;  // a part of standard output
        const char* err;  // a part of standard error, or empty
        const char* file = "bode.csv";
    } rows[] = {
        {"design", {47, 3.3, 100000, 3300, 8320, 250, 64}, 0,
         "\nzeta .712\ncrossover 1.070 kHz\nphase margin 61.7 deg\nbandwidth 1.506 kHz\npeaking 2.235 dB\n"
         "overshoot 22.1 %\nsettling 1.165 ms\nsampled phase margin 60.8 deg\nsampled overshoot 22.3 %\n"
         "sampled stable yes\n",
         ""},
        {"second order", {47, 3.3, 100000, 0, 8320, 250, 64}, 0,
         "fzero .482 kHz\nfp2 ?\nfn .70 kHz\nfin/fzero 97.5\nfn/fzero 1.4471\nzeta .724\ncrossover 1.102 kHz\n",
         "zvx7246ctl: fp2: C2 is 0: no second pole, the loop is second order\n"},
        {"unstable sampled", {3, 3.3, 100000, 3300, 8320, 250, 64}, 0,
         "sampled phase margin ?\nsampled overshoot ?\nsampled stable no\n",
         "warning: unstable when sampled at PFD: a closed-loop pole at z = -2.452"},
        {"beyond float", {1e200, 3.3, 100000, 3300, 8320, 250, 64}, 1, "fin/fzero ?\ncrossover 1.070 kHz\n",
         "zvx7246ctl: fin/fzero: fin/fzero is out of range\n"},
        {"slow", {0.047, 3300, 100000, 3300, 8320, 0.25, 0.064}, 0, "fzero 0.4823 Hz\nfp2 14.61 Hz\nfn 0.6867 Hz\n",
         ""},
        {"no folder", {47, 3.3, 100000, 3300, 8320, 250, 64}, 1, "", "missing/bode.csv", "missing/bode.csv"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString file = dir.filePath(row.file);
        std::vector<std::string> args = {"calc", "loop-filter", "--bode", file.toStdString()};
        const LoopFilterInputs& in = row.in;
        for (const auto& [name, value] : {std::pair{"--pfd", in.pfd}, {"--r", in.r}, {"--c1", in.c1}, {"--c2", in.c2},
                                          {"--n", in.n}, {"--kv", in.kv}, {"--kd", in.kd}}) {
            std::ostringstream text;
            text << value;
            args.insert(args.end(), {name, text.str()});
        }
        const test::CtlRun r = test::runCtlWith(args, {});
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.out.find(row.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
        const bool written = std::string(row.file) == "bode.csv";
        EXPECT_EQ(test::readBytes(file), written ? loopResponseCsv(computeLoopResponse(in)) : "");
    }

    // A loop that cannot be computed (refused on the command line) writes nothing.
    QTemporaryDir dir;
    const QString file = dir.filePath("bode.csv");
    std::ostringstream out, err;
    EXPECT_EQ(writeBodeCurves({47, 0, 100000, 3300, 8320, 250, 64}, file.toStdString(), out, err), 1);
    EXPECT_EQ(err.str(), "zvx7246ctl: no Bode curves: R is 0\n");
    EXPECT_FALSE(QFile::exists(file));

    // Curves holding an infinity are named, and never become CSV text.
    LoopResponse broken = computeLoopResponse({47, 3.3, 100000, 3300, 8320, 250, 64});
    broken.bode[7].closedDb = -INFINITY;
    EXPECT_NE(curveProblem(broken).find("|H| at"), std::string::npos) << curveProblem(broken);
    EXPECT_EQ(loopResponseCsv(broken), "");
}
