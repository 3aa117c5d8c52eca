// zvx7246ctl read-all as a bench script reads it: every register line names
// its register, 0x11 (which no panel shows) included.
#include <QProcess>
#include <gtest/gtest.h>

TEST(ReadAll, EveryRegisterLineCarriesItsName)
{
    for (const char* chip : {"U1", "U4"}) {
        QProcess p;
        p.start(QStringLiteral(ZVX_CTL_PATH), {QStringLiteral("--port=sim"), QStringLiteral("read-all"),
                                                QString::fromLatin1(chip)});
        ASSERT_TRUE(p.waitForFinished(20000)) << chip;
        ASSERT_EQ(p.exitCode(), 0) << chip;
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), 11) << chip;
        for (const QString& line : lines) {
            // "11 00  Unused (11)": register, byte, two blanks, a name.
            EXPECT_TRUE(line.size() > 7 && line.mid(5, 2) == "  " && line.at(7).isLetter())
                << chip << ": " << line.toStdString();
        }
    }
}
