// `zvx7246ctl calc loop-filter ... --bode FILE.csv`: the same curves and
// figures as the Loop Response window.
#include "calculator/LoopResponse.h"
#include "cli/Ctl.h"
#include "cli/CtlBode.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

using namespace zvx;

TEST(CtlBode, WritesTheWindowsCurvesAndPrintsCrossoverAndPhaseMargin)
{
    QTemporaryDir dir;
    const LoopFilterInputs design{47, 3.3, 100000, 3300, 8320, 250, 64};
    const std::string file = dir.filePath("bode.csv").toStdString();
    std::ostringstream out, err;
    EXPECT_EQ(writeBodeCurves(design, file, out, err), 0);
    const LoopResponse r = computeLoopResponse(design);
    EXPECT_EQ(out.str(), "crossover " + r.figures[0].value + " kHz\nphase margin " + r.figures[1].value + " deg\n");
    EXPECT_EQ(err.str(), "");
    QFile f(QString::fromStdString(file));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), loopResponseCsv(r));

    // A loop that cannot be computed writes nothing; nor does a folder that
    // is not there.
    LoopFilterInputs noR = design;
    noR.r = 0;
    const std::string none = dir.filePath("none.csv").toStdString();
    std::ostringstream out2, err2;
    EXPECT_EQ(writeBodeCurves(noR, none, out2, err2), 1);
    EXPECT_EQ(err2.str(), "zvx7246ctl: no Bode curves: R is 0\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(none)));
    std::ostringstream out3, err3;
    EXPECT_EQ(writeBodeCurves(design, dir.filePath("missing/bode.csv").toStdString(), out3, err3), 1);
    EXPECT_EQ(out3.str(), "");
    EXPECT_NE(err3.str().find("missing/bode.csv"), std::string::npos) << err3.str();
}

TEST(CtlBode, CalcLoopFilterTakesTheBodeOption)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("bode.csv").toStdString();
    std::istringstream in;
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, {}};
    EXPECT_EQ(runCtl({"calc", "loop-filter", "--pfd", "47", "--r", "3.3", "--c1", "100000", "--c2", "3300", "--n",
                      "8320", "--kv", "250", "--kd", "64", "--bode", file},
                     env),
              0)
        << err.str();
    const LoopResponse r = computeLoopResponse({47, 3.3, 100000, 3300, 8320, 250, 64});
    EXPECT_NE(out.str().find("\nzeta .712\ncrossover " + r.figures[0].value + " kHz\nphase margin "), std::string::npos)
        << out.str();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(file)));
}
