// Saving the bench setup from the main window and opening it again, through
// the File menu's dialogs, as the bench engineer does it.
#include "SetupFilesFixture.h"

#include "setup/SetupCommands.h"

#include <QCheckBox>
#include <QRadioButton>

using namespace zvx;
using zvx::test::readBytes;
using zvx::test::SetupFiles;
using zvx::test::writeBytes;

namespace {

constexpr const char* kCaptionPrefix = "Velmora Clockworks Company, Inc.                 .zvx File: ";

// A bench setup on both panels, put there the way a Read All puts it.
void showBenchSetup(test::TestLab& lab)
{
    DevicePanel& u1 = lab.u1();
    u1.showInputCntl(0xA5);
    u1.showLoopCntl(0x23);     // PSD "8", PFD 3
    u1.showFdBk0(0x98);
    u1.showFdBk1(0x6);
    u1.showHorizTotal();   // 0x698 + 8 = 1696
    u1.showDPAoffset(0x95);    // Int-Filter, offset 15
    u1.showDPAcntl(0x01);
    u1.showOutputCntl(0x4B);
    u1.showOscDiv(0x85);       // In-Sel, divider 7
    u1.showReset(0x5A);

    DevicePanel& u4 = lab.u4();
    u4.showInputCntl(0x0F);
    u4.showLoopCntl(0x31);
    u4.showFdBk0(0x40);
    u4.showFdBk1(0x3);
    u4.showHorizTotal();
    u4.showDPAoffset(0x2A);
    u4.showDPAcntl(0x03);
    u4.showOutputCntl(0x81);
    u4.showOscDiv(0x10);
    u4.showReset(0x50);

    MainWindow& w = lab.window();
    w.txtR->setText("10");
    w.txtC1->setText("4700");
    w.txtC2->setText("220");
    w.txtHsync->setText("31.469");
}

// Something else on every control a file restores.
void showOtherSetup(test::TestLab& lab)
{
    for (DevicePanel* p : {&lab.u1(), &lab.u4()}) {
        p->showInputCntl(0);
        p->showLoopCntl(0);
        p->showFdBk0(0);
        p->showFdBk1(0);
        p->showHorizTotal();
        p->showDPAoffset(0);
        p->showDPAcntl(0);
        p->showOutputCntl(0);
        p->showOscDiv(0);
        p->showReset(0);
    }
    lab.window().txtR->setText("x");
    lab.window().txtC1->setText("x");
    lab.window().txtC2->setText("x");
    lab.window().txtHsync->setText("x");
}

} // namespace

TEST_F(SetupFiles, SaveThenOpenRestoresBothPanelsTheLoopFilterAndHsyncWithoutTouchingTheChips)
{
    showBenchSetup(lab);
    lab.takeTrace();
    const auto timeBefore = lab.board().virtualTimeNs();

    saveAs(path("bench"));
    EXPECT_EQ(lab.board().virtualTimeNs(), timeBefore) << "a save composes, it never writes the chips";
    const QString file = path("bench.zvx");
    const std::string saved = readBytes(file);
    EXPECT_EQ(saved,
              "[zvx7246 input registers]\r\n"
              "register_0=&HA5\r\nregister_1=&H23\r\nregister_2=&H98\r\nregister_3=&H6\r\n"
              "register_4=&H95\r\nregister_5=&H1\r\nregister_6=&H4B\r\nregister_7=&H85\r\n"
              "register_8=&H5A\r\nregister_10=&H0\r\nregister_11=&H17\r\nregister_12=&H0\r\n"
              "[zvx7246 output registers]\r\n"
              "register_0=&HF\r\nregister_1=&H31\r\nregister_2=&H40\r\nregister_3=&H3\r\n"
              "register_4=&H2A\r\nregister_5=&H3\r\nregister_6=&H81\r\nregister_7=&H10\r\n"
              "register_8=&H50\r\nregister_10=&H0\r\nregister_11=&H0\r\nregister_12=&H0\r\n"
              "[zvx7246 loop filter components]\r\n"
              "R=10\r\nC1=4700\r\nC2=220\r\n"
              "[zvx7246 Miscellaneous]\r\n"
              "HSYNC_khz=31.469\r\n");
    EXPECT_EQ(caption(), QString::fromLatin1(kCaptionPrefix) + "bench.zvx");
    EXPECT_EQ(lab.app->settings.currentSetupFile, file);
    EXPECT_TRUE(action("mnuSave")->isEnabled());

    showOtherSetup(lab);
    std::vector<std::pair<int, int>> rawEditor;
    QStringList calculatorHsync;
    int inputModeUpdates = 0;
    lab.app->links.rawEditorUpdate = [&](int reg, int value) { rawEditor.emplace_back(reg, value); };
    lab.app->links.setCalculatorHsync = [&](const QString& t) { calculatorHsync << t; };
    lab.app->links.setCalculatorInputMode = [&] { ++inputModeUpdates; };
    lab.takeTrace();

    // The DPA option the open selects would write the chip with automatic
    // write on; the open holds it off.
    const auto timeBeforeOpen = lab.board().virtualTimeNs();
    open(file);
    EXPECT_EQ(lab.board().virtualTimeNs(), timeBeforeOpen);
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "A5");
    EXPECT_TRUE(lab.find<QCheckBox>("ckIn_Input_7")->isChecked());
    EXPECT_TRUE(lab.find<QRadioButton>("obIn_PSD_2")->isChecked());
    EXPECT_EQ(text("txtIn_PFD")->text(), "3");
    EXPECT_EQ(text("txtIn_FdBk0")->text(), "98");
    EXPECT_EQ(text("txtIn_FdBk1")->text(), "6");
    EXPECT_EQ(text("txtIn_HorizTotal")->text(), "1696");
    EXPECT_EQ(text("txtIn_DPAoffset")->text(), "15");
    EXPECT_TRUE(lab.find<QCheckBox>("ckIn_ExtFilter")->isChecked());
    EXPECT_EQ(text("txtIn_OscDiv")->text(), "7");
    EXPECT_EQ(text("txtIn_RESET")->text(), "5A");
    EXPECT_EQ(text("txtOut_OutputCntl")->text(), "81");
    EXPECT_EQ(text("txtOut_HorizTotal")->text(), QString::number(0x340 + 8));
    EXPECT_EQ(text("txtR")->text(), "10");
    EXPECT_EQ(text("txtC1")->text(), "4700");
    EXPECT_EQ(text("txtC2")->text(), "220");
    EXPECT_EQ(text("txtHsync")->text(), "31.469");
    EXPECT_EQ(calculatorHsync, QStringList{"31.469"});
    // Once from the U1 "In-Sel (7)" box the refresh ticks, once at the end.
    EXPECT_EQ(inputModeUpdates, 2);
    // The raw register editor follows U1's registers 0 to 7, in order.
    const std::vector<std::pair<int, int>> u1Bytes = {{0, 0xA5}, {1, 0x23}, {2, 0x98}, {3, 0x6},
                                                      {4, 0x95}, {5, 0x01}, {6, 0x4B}, {7, 0x85}};
    EXPECT_EQ(rawEditor, u1Bytes);

    // What the panels now hold saves to the very same file.
    saveAs(path("again.zvx"));
    EXPECT_EQ(readBytes(path("again.zvx")), saved);

    // Neither the saves nor the open went near the bus, and automatic write
    // is on again afterwards.
    EXPECT_EQ(lab.takeTrace(), "");
    EXPECT_EQ(lab.board().virtualTimeNs(), timeBeforeOpen);
    EXPECT_EQ(lab.board().u1().storedRegister(0), 0x00);
    EXPECT_TRUE(lab.app->settings.autoWrite);
    EXPECT_TRUE(action("mnuI2C_AutoWrite")->isChecked());
    EXPECT_TRUE(lab.dialogs.messages.empty());
}

TEST_F(SetupFiles, LockStatusIsWrittenWithThePllInBitZeroAndIsNeverRead)
{
    lab.u1().showLockStatus(0x02);  // the chip's bit 1: PLL locked, DPA not
    lab.u4().showLockStatus(0x01);  // DPA locked, PLL not
    saveAs(path("locks.zvx"));
    const std::string saved = readBytes(path("locks.zvx"));
    const auto in = saved.find("[zvx7246 input registers]");
    const auto out = saved.find("[zvx7246 output registers]");
    EXPECT_EQ(saved.find("register_12=&H1\r\n", in), saved.find("register_12=", in));
    EXPECT_LT(saved.find("register_12=&H1\r\n", in), out);
    EXPECT_NE(saved.find("register_12=&H2\r\n", out), std::string::npos) << saved;

    lab.u1().showLockStatus(0x03);
    open(path("locks.zvx"));
    EXPECT_TRUE(lab.u1().isPLLlocked());
    EXPECT_TRUE(lab.u1().isDPAlocked()) << "register_12 does not go back to the labels";
}

TEST_F(SetupFiles, HandEditedValuesLoadAsTheProgramReadsThem)
{
    writeBytes(path("hand.zvx"),
               "[ZVX7246 Input Registers]\n"
               "register_0=&H4C\nregister_1=&H0\nregister_2=12\nregister_3=4C\n"
               "[zvx7246 output registers]\n"
               "Register_0 = &h0f\n"
               "[zvx7246 loop filter components]\nR=5\nC1=10\n");
    lab.u1().showLoopCntl(0x33);
    lab.window().txtR->setText("22");
    lab.window().txtC2->setText("100");
    open(path("hand.zvx"));
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "4C");
    EXPECT_EQ(label("lblIn_LoopCntl")->text(), "00");
    EXPECT_EQ(text("txtIn_PFD")->text(), "0");
    EXPECT_EQ(text("txtIn_FdBk0")->text(), "0C") << "12 without a prefix is decimal";
    EXPECT_EQ(text("txtIn_FdBk1")->text(), "4") << "4C without a prefix reads as 4";
    EXPECT_EQ(text("txtIn_HorizTotal")->text(), QString::number(4 * 256 + 12 + 8));
    EXPECT_EQ(text("txtOut_InputCntl")->text(), "0F");
    // Under two characters counts as missing, and a missing text empties its box.
    EXPECT_EQ(text("txtR")->text(), "");
    EXPECT_EQ(text("txtC1")->text(), "10");
    EXPECT_EQ(text("txtC2")->text(), "");
    EXPECT_EQ(text("txtHsync")->text(), "");
}

TEST_F(SetupFiles, AFileWithOnlyRegisterThreeRefreshesItAndTheTotal)
{
    lab.u1().showInputCntl(0x11);
    lab.u1().showFdBk0(0x20);
    lab.u1().showFdBk1(0x1);
    lab.u1().showHorizTotal();
    lab.window().txtR->setText("10");
    lab.window().txtHsync->setText("31.5");
    std::vector<std::pair<int, int>> rawEditor;
    lab.app->links.rawEditorUpdate = [&](int reg, int value) { rawEditor.emplace_back(reg, value); };

    writeBytes(path("r3.zvx"), "[zvx7246 input registers]\r\nregister_3=&H2\r\n");
    open(path("r3.zvx"));
    EXPECT_EQ(text("txtIn_FdBk1")->text(), "2");
    EXPECT_EQ(text("txtIn_FdBk0")->text(), "20");
    EXPECT_EQ(text("txtIn_HorizTotal")->text(), QString::number(2 * 256 + 0x20 + 8));
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "11");
    EXPECT_EQ(rawEditor, (std::vector<std::pair<int, int>>{{3, 2}}));
    for (const char* box : {"txtR", "txtC1", "txtC2", "txtHsync"})
        EXPECT_EQ(text(box)->text(), "") << box;
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("r3.zvx"));
}

TEST_F(SetupFiles, SaveDialogAddsZvxUnlessTheNameEndsInAKnownExtension)
{
    saveAs(path("setup"));
    saveAs(path("setup.ini"));
    saveAs(path("setup.Zvx"));
    EXPECT_TRUE(QFile::exists(path("setup.zvx")));
    EXPECT_TRUE(QFile::exists(path("setup.ini")));
    EXPECT_TRUE(QFile::exists(path("setup.Zvx.zvx")));
    EXPECT_FALSE(QFile::exists(path("setup")));
    EXPECT_EQ(caption(), QString::fromLatin1(kCaptionPrefix) + "setup.Zvx.zvx");

    ASSERT_EQ(lab.dialogs.fileDialogs.size(), 3u);
    const FileDialogRequest& r = lab.dialogs.fileDialogs[0].request;
    EXPECT_TRUE(lab.dialogs.fileDialogs[0].save);
    EXPECT_EQ(r.title, "Save As");
    EXPECT_EQ(r.directory, QDir::currentPath());
    EXPECT_EQ(r.filter, "ZVX7246 Files (*.zvx)|*.zvx|ZVX7246 Files (*.zvx; *.ini)|*.zvx; *.ini|All Files (*.*)|*.*");
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(qtNameFilters(r.filter),
              (QStringList{"ZVX7246 Files (*.zvx)", "ZVX7246 Files (*.zvx *.ini)", "All Files (*.*)"}));
    EXPECT_TRUE(lab.dialogs.messages.empty()) << "new files need no question";
}

TEST_F(SetupFiles, OverwritingAsksAboutTheNameReallyWrittenAndNoOrCancelChangeNothing)
{
    saveAs(path("setup"));
    const std::string first = readBytes(path("setup.zvx"));
    lab.u1().showInputCntl(0x77);

    saveAs(path("setup"));  // setup.zvx is there now; Enter answers No
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    const auto& q = lab.dialogs.messages[0];
    EXPECT_EQ(q.title, "Save As");
    EXPECT_EQ(q.text, path("setup.zvx") + " already exists.\rDo you want to replace it?");
    EXPECT_EQ(q.defaultButton, QMessageBox::No);
    EXPECT_EQ(readBytes(path("setup.zvx")), first);

    saveAs(std::nullopt);
    open(std::nullopt);
    EXPECT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_EQ(readBytes(path("setup.zvx")), first);

    lab.dialogs.answers.push_back(QMessageBox::Yes);
    saveAs(path("setup.zvx"));
    EXPECT_NE(readBytes(path("setup.zvx")).find("register_0=&H77\r\n"), std::string::npos);
}

TEST_F(SetupFiles, FileSaveAsksFirstWithNoAsTheDefault)
{
    EXPECT_FALSE(action("mnuSave")->isEnabled());
    saveAs(path("bench.zvx"));
    const std::string first = readBytes(path("bench.zvx"));
    lab.u1().showInputCntl(0x42);

    action("mnuSave")->trigger();
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    const auto& q = lab.dialogs.messages[0];
    EXPECT_EQ(q.title, "Save");
    EXPECT_EQ(q.icon, QMessageBox::Warning);
    EXPECT_EQ(q.text, path("bench.zvx") + "\rThis file already exists.\r\rReplace existing file?");
    EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(q.defaultButton, QMessageBox::No);
    EXPECT_EQ(readBytes(path("bench.zvx")), first);

    lab.dialogs.answers.push_back(QMessageBox::Yes);
    action("mnuSave")->trigger();
    EXPECT_NE(readBytes(path("bench.zvx")).find("register_0=&H42\r\n"), std::string::npos);
}

TEST_F(SetupFiles, AFailedSaveTellsTheUserAndLeavesFileAndWindowAsTheyWere)
{
    lab.window().txtR->setText("10");
    saveAs(path("good.zvx"));
    const std::string good = readBytes(path("good.zvx"));
    const QString goodCaption = caption();
    lab.window().txtR->setText("47");

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zvx"));
    lab.dialogs.answers.push_back(QMessageBox::Yes);  // replace "folder.zvx"?
    saveAs(path("folder.zvx"));
    ASSERT_EQ(lab.dialogs.messages.size(), 2u);
    EXPECT_EQ(lab.dialogs.messages[1].title, "Save");
    EXPECT_EQ(lab.dialogs.messages[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(lab.dialogs.messages[1].text.contains(path("folder.zvx"))) << lab.dialogs.messages[1].text.toStdString();
    EXPECT_TRUE(lab.dialogs.messages[1].text.contains("folder"));

    saveAs(path("good.zvx/inner.zvx"));  // a path through a regular file
    ASSERT_EQ(lab.dialogs.messages.size(), 3u);
    EXPECT_TRUE(lab.dialogs.messages[2].text.contains(path("good.zvx/inner.zvx")));
    EXPECT_TRUE(lab.dialogs.messages[2].text.contains("Not a directory")) << lab.dialogs.messages[2].text.toStdString();

    EXPECT_EQ(readBytes(path("good.zvx")), good);
    EXPECT_EQ(caption(), goodCaption);
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("good.zvx"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"folder.zvx", "good.zvx"}))
        << "no temporary file is left behind";
    EXPECT_TRUE(lab.app->settings.autoWrite);
}

TEST_F(SetupFiles, UnreadableFilesAreReportedMissingOnesOpenEmptyLargeValuesAreWarnedAbout)
{
    lab.window().txtR->setText("10");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zvx"));
    open(path("folder.zvx"));
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_EQ(lab.dialogs.messages[0].title, "Open");
    EXPECT_TRUE(lab.dialogs.messages[0].text.contains(path("folder.zvx")));
    EXPECT_EQ(text("txtR")->text(), "10") << "nothing was read, nothing emptied";
    EXPECT_EQ(caption(), "ZVX 7246 Register Tool");
    EXPECT_FALSE(action("mnuSave")->isEnabled());

    writeBytes(path("big.zvx"), "[zvx7246 input registers]\r\nregister_0=&H12345\r\nregister_1=&H21\r\n");
    lab.u1().showInputCntl(0x11);
    open(path("big.zvx"));
    ASSERT_EQ(lab.dialogs.messages.size(), 2u);
    EXPECT_EQ(lab.dialogs.messages[1].icon, QMessageBox::Warning);
    EXPECT_TRUE(lab.dialogs.messages[1].text.contains("register_0 in [zvx7246 input registers] is \"&H12345\""))
        << lab.dialogs.messages[1].text.toStdString();
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "11") << "the register that does not fit is skipped";
    EXPECT_EQ(label("lblIn_LoopCntl")->text(), "21");
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("big.zvx"));

    lab.window().txtC1->setText("4700");
    open(path("nothing-here.zvx"));
    EXPECT_EQ(lab.dialogs.messages.size(), 2u) << "a file that is not there opens without complaint";
    EXPECT_EQ(text("txtC1")->text(), "");
    EXPECT_EQ(text("txtIn_InputCntl")->text(), "11");
    EXPECT_EQ(caption(), QString::fromLatin1(kCaptionPrefix) + "nothing-here.zvx");
}
