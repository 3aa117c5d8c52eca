// `zvx7246ctl calc loop-filter ... --bode FILE.csv`: the same curves and
// figures as the Loop Response window.
#include "calculator/LoopResponse.h"
#include "cli/CtlBode.h"
#include "support/CtlRunner.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zvx;

TEST(CtlBode, WritesTheWindowsCurvesAndPrintsCrossoverAndPhaseMargin)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("bode.csv");
    const test::CtlRun run = test::runCtlWith({"calc", "loop-filter", "--pfd", "47", "--r", "3.3", "--c1", "100000",
                                               "--c2", "3300", "--n", "8320", "--kv", "250", "--kd", "64", "--bode",
                                               file.toStdString()}, {});
    EXPECT_EQ(run.status, 0) << run.err;
    const LoopFilterInputs design{47, 3.3, 100000, 3300, 8320, 250, 64};
    const LoopResponse r = computeLoopResponse(design);
    EXPECT_NE(run.out.find("\nzeta .712\ncrossover " + r.figures[0].value + " kHz\nphase margin " + r.figures[1].value +
                           " deg\n"), std::string::npos) << run.out;
    EXPECT_EQ(test::readBytes(file), loopResponseCsv(r));

    // A loop that cannot be computed writes nothing; nor does a folder that
    // is not there.
    LoopFilterInputs noR = design;
    noR.r = 0;
    const std::string none = dir.filePath("none.csv").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(writeBodeCurves(noR, none, out, err), 1);
    EXPECT_EQ(err.str(), "zvx7246ctl: no Bode curves: R is 0\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(none)));
    std::ostringstream out2, err2;
    EXPECT_EQ(writeBodeCurves(design, dir.filePath("missing/bode.csv").toStdString(), out2, err2), 1);
    EXPECT_EQ(out2.str(), "");
    EXPECT_NE(err2.str().find("missing/bode.csv"), std::string::npos) << err2.str();
}
