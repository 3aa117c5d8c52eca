// Saving the bench setup from the main window and opening it again, through
// the File menu's dialogs, as the bench engineer does it.
#include "SetupFilesFixture.h"

#include "setup/SetupCommands.h"

using namespace zvx;
using namespace zvx::test;

namespace {

// Registers 0 to 8 shown on a panel the way a Read All shows them.
void show(DevicePanel& p, const std::array<int, 9>& r)
{
    p.showInputCntl(r[0]), p.showLoopCntl(r[1]), p.showFdBk0(r[2]), p.showFdBk1(r[3]), p.showHorizTotal();
    p.showDPAoffset(r[4]), p.showDPAcntl(r[5]), p.showOutputCntl(r[6]), p.showOscDiv(r[7]), p.showReset(r[8]);
}

} // namespace

TEST_F(SetupFiles, SaveThenOpenRestoresBothPanelsTheLoopFilterAndHsyncWithoutTouchingTheChips)
{
    // PSD "8", PFD 3; total 0x698 + 8; Int-Filter, offset 15; In-Sel, divider 7.
    show(lab.u1(), {0xA5, 0x23, 0x98, 0x6, 0x95, 0x01, 0x4B, 0x85, 0x5A});
    show(lab.u4(), {0x0F, 0x31, 0x40, 0x3, 0x2A, 0x03, 0x81, 0x10, 0x50});
    lab.u1().showLockStatus(0x02);  // the chip's bit 1: PLL locked, DPA not
    lab.u4().showLockStatus(0x01);  // DPA locked, PLL not
    lab.window().txtR->setText("10");
    lab.window().txtC1->setText("4700");
    lab.window().txtC2->setText("220");
    lab.window().txtHsync->setText("31.469");
    lab.takeTrace();
    const auto timeBefore = lab.board().virtualTimeNs();
    saveAs(path("bench"));
    EXPECT_EQ(lab.board().virtualTimeNs(), timeBefore) << "a save composes, it never writes the chips";
    const std::string saved = readBytes(path("bench.zvx"));
    EXPECT_EQ(saved,
              "[zvx7246 input registers]\r\n"
              "register_0=&HA5\r\nregister_1=&H23\r\nregister_2=&H98\r\nregister_3=&H6\r\n"
              "register_4=&H95\r\nregister_5=&H1\r\nregister_6=&H4B\r\nregister_7=&H85\r\n"
              "register_8=&H5A\r\nregister_10=&H0\r\nregister_11=&H17\r\nregister_12=&H1\r\n"
              "[zvx7246 output registers]\r\n"
              "register_0=&HF\r\nregister_1=&H31\r\nregister_2=&H40\r\nregister_3=&H3\r\n"
              "register_4=&H2A\r\nregister_5=&H3\r\nregister_6=&H81\r\nregister_7=&H10\r\n"
              "register_8=&H50\r\nregister_10=&H0\r\nregister_11=&H0\r\nregister_12=&H2\r\n"
              "[zvx7246 loop filter components]\r\n"
              "R=10\r\nC1=4700\r\nC2=220\r\n"
              "[zvx7246 Miscellaneous]\r\n"
              "HSYNC_khz=31.469\r\n");
    EXPECT_EQ(caption(), captionFor("bench.zvx"));
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("bench.zvx"));

    show(lab.u1(), {});
    show(lab.u4(), {});
    for (QLineEdit* box : {lab.window().txtR, lab.window().txtC1, lab.window().txtC2, lab.window().txtHsync})
        box->setText("x");
    std::vector<std::pair<int, int>> rawEditor;
    QStringList calculatorHsync;
    int inputModeUpdates = 0;
    lab.app->links.rawEditorUpdate = [&](int reg, int value) { rawEditor.emplace_back(reg, value); };
    lab.app->links.setCalculatorHsync = [&](const QString& t) { calculatorHsync << t; };
    lab.app->links.setCalculatorInputMode = [&] { ++inputModeUpdates; };
    // The DPA option the open selects would write the chip with automatic
    // write on; the open holds it off.
    lab.u1().showLockStatus(0x03);
    lab.takeTrace();
    const auto timeBeforeOpen = lab.board().virtualTimeNs();
    open(path("bench.zvx"));
    // The second save below shows every register came back; these are the
    // boxes a file sets through the panels' own routines.
    EXPECT_EQ(text("txtIn_HorizTotal"), "1696");
    EXPECT_EQ(text("txtOut_HorizTotal"), QString::number(0x340 + 8));
    EXPECT_EQ(text("txtIn_OscDiv"), "7");
    EXPECT_TRUE(lab.find<QRadioButton>("obIn_PSD_2")->isChecked());
    EXPECT_TRUE(lab.find<QCheckBox>("ckIn_ExtFilter")->isChecked());
    EXPECT_TRUE(lab.u1().isPLLlocked() && lab.u1().isDPAlocked()) << "register_12 does not go back to the labels";
    EXPECT_EQ(calculatorHsync, QStringList{"31.469"});
    // Once from the U1 "In-Sel (7)" box the refresh ticks, once at the end.
    EXPECT_EQ(inputModeUpdates, 2);
    // The raw register editor follows U1's registers 0 to 7, in order.
    EXPECT_EQ(rawEditor, (std::vector<std::pair<int, int>>{
                             {0, 0xA5}, {1, 0x23}, {2, 0x98}, {3, 0x6}, {4, 0x95}, {5, 0x01}, {6, 0x4B}, {7, 0x85}}));
    lab.u1().showLockStatus(0x02);
    lab.u4().showLockStatus(0x01);
    saveAs(path("again.zvx"));
    EXPECT_EQ(readBytes(path("again.zvx")), saved);
    EXPECT_EQ(lab.takeTrace(), "") << "saves and opens never go near the bus";
    EXPECT_EQ(lab.board().virtualTimeNs(), timeBeforeOpen);
    EXPECT_TRUE(lab.app->settings.autoWrite);
    EXPECT_TRUE(lab.find<QAction>("mnuI2C_AutoWrite")->isChecked());
    EXPECT_TRUE(lab.dialogs.messages.empty());
}

TEST_F(SetupFiles, APartialFileRefreshesWhatItHoldsEmptiesMissingTextsAndKeepsTheInternalFiltersValues)
{
    show(lab.u1(), {0x11, 0x33, 0x20, 0x1, 0, 0, 0, 0, 0});
    lab.window().txtR->setText("10");
    lab.window().txtHsync->setText("31.5");
    std::vector<std::pair<int, int>> rawEditor;
    lab.app->links.rawEditorUpdate = [&](int reg, int value) { rawEditor.emplace_back(reg, value); };
    writeBytes(path("r3.zvx"), "[zvx7246 input registers]\r\nregister_3=&H2\r\n"
                               "[zvx7246 loop filter components]\r\nR=5\r\nC1=10\r\n");
    open(path("r3.zvx"));
    EXPECT_EQ(text("txtIn_FdBk1"), "2");
    EXPECT_EQ(text("txtIn_FdBk0"), "20");
    EXPECT_EQ(text("txtIn_HorizTotal"), QString::number(2 * 256 + 0x20 + 8));
    EXPECT_EQ(text("txtIn_InputCntl"), "11");
    EXPECT_EQ(rawEditor, (std::vector<std::pair<int, int>>{{3, 2}}));
    // Under two characters counts as missing, and a missing text empties its box.
    for (const auto& [name, value] : {std::pair{"txtR", ""}, {"txtC1", "10"}, {"txtC2", ""}, {"txtHsync", ""}})
        EXPECT_EQ(text(name), value) << name;

    // A file selecting the internal filter keeps its loop filter values for
    // when the filter is unticked.
    writeBytes(path("int.zvx"), "[zvx7246 input registers]\r\nregister_4=&H80\r\n"
                                "[zvx7246 loop filter components]\r\nR=22\r\nC1=4700\r\nC2=150\r\n");
    open(path("int.zvx"));
    ASSERT_TRUE(lab.u1().ckExtFilter->isChecked());
    lab.u1().ckExtFilter->setChecked(false);
    for (auto [name, value] : {std::pair{"txtC1", "4700"}, {"txtC2", "150"}, {"txtR", "22"}})
        EXPECT_EQ(text(name), value) << name;
}

TEST_F(SetupFiles, SaveAsAddsZvxAndBothSavesAskBeforeReplacingWithNoAsTheDefault)
{
    EXPECT_FALSE(control<QAction>("mnuSave")->isEnabled());
    saveAs(path("setup.ini"));
    saveAs(path("setup"));
    EXPECT_TRUE(QFile::exists(path("setup.ini")));
    EXPECT_FALSE(QFile::exists(path("setup")));
    ASSERT_EQ(lab.dialogs.fileDialogs.size(), 2u);
    const FileDialogRequest& r = lab.dialogs.fileDialogs[0].request;
    EXPECT_EQ(r.directory, QDir::currentPath());
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(qtNameFilters(r.filter),
              (QStringList{"ZVX7246 Files (*.zvx)", "ZVX7246 Files (*.zvx *.ini)", "All Files (*.*)"}));
    EXPECT_TRUE(lab.dialogs.messages.empty()) << "new files need no question";
    const std::string first = readBytes(path("setup.zvx"));
    lab.u1().showInputCntl(0x77);

    saveAs(path("setup"));  // setup.zvx is there now; Enter answers No
    menu("mnuSave");
    saveAs(std::nullopt);
    ASSERT_EQ(lab.dialogs.messages.size(), 2u);
    EXPECT_EQ(lab.dialogs.messages[0].title, "Save As");
    EXPECT_EQ(lab.dialogs.messages[0].text, path("setup.zvx") + " already exists.\rDo you want to replace it?");
    EXPECT_EQ(lab.dialogs.messages[0].defaultButton, QMessageBox::No);
    const auto& q = lab.dialogs.messages[1];
    EXPECT_EQ(q.icon, QMessageBox::Warning);
    EXPECT_EQ(q.text, path("setup.zvx") + "\rThis file already exists.\r\rReplace existing file?");
    EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(q.defaultButton, QMessageBox::No);
    EXPECT_EQ(readBytes(path("setup.zvx")), first);

    lab.dialogs.answers.push_back(QMessageBox::Yes);
    menu("mnuSave");
    EXPECT_NE(readBytes(path("setup.zvx")).find("register_0=&H77\r\n"), std::string::npos);
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
    saveAs(path("good.zvx/inner.zvx"));  // a path through a regular file
    ASSERT_EQ(lab.dialogs.messages.size(), 3u);
    const QString& folderError = lab.dialogs.messages[1].text;
    EXPECT_EQ(lab.dialogs.messages[1].title, "Save");
    EXPECT_EQ(lab.dialogs.messages[1].icon, QMessageBox::Critical);
    EXPECT_EQ(folderError, "Could not save the file \"" + path("folder.zvx") +
                               "\": it is a folder, not a file. The file on disk was left as it was.");
    const QString& underFile = lab.dialogs.messages[2].text;
    EXPECT_TRUE(underFile.contains(path("good.zvx/inner.zvx")) && underFile.contains("Not a directory"))
        << underFile.toStdString();

    EXPECT_EQ(readBytes(path("good.zvx")), good);
    EXPECT_EQ(caption(), goodCaption);
    EXPECT_EQ(lab.app->settings.currentSetupFile, path("good.zvx"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"folder.zvx", "good.zvx"}))
        << "no temporary file is left behind";
}

TEST_F(SetupFiles, UnreadableFilesAreReportedMissingOnesOpenEmptyLargeValuesAreWarnedAbout)
{
    lab.window().txtR->setText("10");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.zvx"));
    open(path("folder.zvx"));
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_EQ(lab.dialogs.messages[0].title, "Open");
    EXPECT_TRUE(lab.dialogs.messages[0].text.contains(path("folder.zvx")));
    EXPECT_EQ(text("txtR"), "10") << "nothing was read, nothing emptied";
    EXPECT_EQ(caption(), "ZVX 7246 Register Tool");
    EXPECT_FALSE(control<QAction>("mnuSave")->isEnabled());

    // Every odd value in one message, on the line CR LF, LF or a lone CR ends,
    // quoted escaped; each loads as the file reads, clamped to the register's
    // range.
    writeBytes(path("big.zvx"), "[zvx7246 input registers]\r\nregister_0=&H12345\r\nregister_1=&H21\r\n"
                                "[zvx7246 output registers]\r\nregister_6=300\nregister_2=0x3F\rregister_1=\x1B\r\n");
    lab.u1().showInputCntl(0x11);
    open(path("big.zvx"));
    ASSERT_EQ(lab.dialogs.messages.size(), 2u);
    EXPECT_EQ(lab.dialogs.messages[1].icon, QMessageBox::Warning);
    EXPECT_EQ(lab.dialogs.messages[1].text,
              path("big.zvx") + "\r\rThese values were not loaded as they are written:\r"
                                "register_0=&H12345 (line 2): out of range 0..FF, clamped to FF\r"
                                "register_6=300 (line 5): out of range 0..FF, clamped to FF\r"
                                "register_2=0x3F (line 6): not a number in this file's format (hex is written &H3F), "
                                "read as 00\r"
                                "register_1=\\x1B (line 7): a value of one character counts as missing in this file's "
                                "format, not loaded");
    EXPECT_EQ(text("txtIn_InputCntl"), "FF");
    EXPECT_EQ(lab.find<QLabel>("lblIn_LoopCntl")->text(), "21");
    EXPECT_EQ(text("txtOut_OutputCntl"), "FF") << "300 is clamped, not cut to 2C";
    EXPECT_EQ(text("txtOut_FdBk0"), "00");

    open(path("nothing-here.zvx"));
    EXPECT_EQ(lab.dialogs.messages.size(), 2u) << "a file that is not there opens without complaint";
    EXPECT_EQ(text("txtR"), "");
    EXPECT_EQ(caption(), captionFor("nothing-here.zvx"));
}
