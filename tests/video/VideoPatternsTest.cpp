// The pattern generator as the bench engineer uses it: the call Execute
// makes, the bitmap choice, the hot keys stepping U1 while the (fake)
// renderer runs, the display-timing line (and the standard mode offered
// when the display tells its mode but not its pixel clock), and the
// advanced window.
#include "support/LabTest.h"
#include "support/fakerenderer/FakeRendererControl.h"

#include "calculator/frmCalculator.h"
#include "mainwindow/Spinner.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <map>


namespace zvx {
namespace {

// The fake renderer the program loads is the one test_video links, so both
// see one record of calls: each test forgets the calls of earlier ones and
// scripts the keys of its own.
class VideoPatterns : public test::LabTest {
protected:
    VideoPatterns() { FakeRenderer_reset(); }
    void pressDuringNextCalls(const std::vector<int32_t>& keys)
    {
        FakeRenderer_setKeys(keys.data(), static_cast<int32_t>(keys.size()));
    }
    int calls() const { return FakeRenderer_callCount(); }
    FakeRendererCall lastCall() const
    {
        FakeRendererCall c{};
        EXPECT_TRUE(FakeRenderer_call(FakeRenderer_callCount() - 1, &c)) << "the renderer was not called";
        return c;
    }
    frmVideoPatterns& window() { return *lab.app->videoPatterns(); }
    void execute() { window().cmdExecute->click(); }
    frmAdvancedVideoSettings& advanced()
    {
        window().cmdAdvancedSettings->click();
        return *lab.app->advancedVideoSettings();
    }
    QStringList heardFiles()
    {
        QStringList names;
        for (const QString& h : lab.sound->heard)
            names << (h == "beep" ? h : QFileInfo(h).fileName());
        lab.sound->clear();
        return names;
    }
};

TEST_F(VideoPatterns, DesignStateRunsAutoVerticalLineAt640x480WithTheStartRecord)
{
    menu("mnuVideoPatterns");
    EXPECT_TRUE(window().isVisible());
    execute();
    ASSERT_EQ(calls(), 1);
    const FakeRendererCall c = lastCall();
    EXPECT_EQ(std::tie(c.width, c.height, c.reserved, c.refreshRate, c.pattern),
              std::make_tuple(640, 480, 0, 60, 7));
    const std::int32_t startRecord[9] = {16, 0, 0xFFFFFF, 0, 2, 10, 1, 0, 0};
    ASSERT_TRUE(c.hasSettings);
    EXPECT_EQ(std::memcmp(&c.settings, startRecord, sizeof startRecord), 0);
    EXPECT_TRUE(c.hasHotKey);
}

TEST_F(VideoPatterns, XSizeFollowsTheModeUntilTheAdvancedWindowChangesIt)
{
    const std::pair<int, int> modeToXsize[] = {{0, 2}, {1, 3}, {2, 4}, {3, 4}, {4, 5},
                                               {5, 6}, {6, 7}, {7, 7}, {8, 7}};
    for (const auto& [mode, xSize] : modeToXsize) {
        window().cmboMode->setCurrentIndex(mode);
        window().cmboRefreshRate->setCurrentIndex(mode % 5);
        execute();
        EXPECT_EQ(lastCall().settings.xSize, xSize) << window().cmboMode->currentText().toStdString();
        EXPECT_EQ(lastCall().refreshRate, kRefreshRates[static_cast<std::size_t>(mode % 5)]);
    }
    // Opened after a run at 1920 x 1440, the window shows 7 in X-Size; that
    // change of the box is the user's X size from now on.
    EXPECT_EQ(advanced().txtXsize->text(), "7");
    window().cmboMode->setCurrentIndex(0);
    execute();
    EXPECT_EQ(lastCall().settings.xSize, 7);
}

TEST_F(VideoPatterns, OpeningTheAdvancedWindowBeforeAnyRunKeepsAutomaticXSizeUntilTyped)
{
    EXPECT_EQ(advanced().txtXsize->text(), "10");
    window().cmboMode->setCurrentIndex(1);
    execute();
    EXPECT_EQ(lastCall().settings.xSize, 3);
    EXPECT_EQ(advanced().txtXsize->text(), "3") << "the open window shows the size drawn";
    advanced().UpDown1->upClicked();  // the user's step starts from what is shown
    EXPECT_EQ(advanced().txtXsize->text(), "4");
    lab.app->advancedVideoSettings()->txtXsize->setText("12");
    window().cmboMode->setCurrentIndex(8);
    execute();
    EXPECT_EQ(lastCall().settings.xSize, 12);
}

// Each case: set-up texts, keys pressed during one pattern run (each run's
// first key differs from the last one's, so no case goes on a run of the
// case before), then the U1 boxes, the sounds and the register writes.
struct HotKeyCase {
    const char* what;
    std::map<QString, QString> start;      // box objectName -> text
    std::vector<std::int32_t> keys;
    std::map<QString, QString> end;
    QStringList sounds;
    std::map<int, int> stored;             // register -> the field the key steps, as the chip holds it
    int register4Writes = -1;              // -1: not counted
};

TEST_F(VideoPatterns, HotKeysStepU1WriteItAndAnswerWithTheKeysSound)
{
    const HotKeyCase cases[] = {
        {"D twice wraps at 3F, d comes back", {{"txtIn_DPAoffset", "3E"}}, {'D', 'D', 'd'},
         {{"txtIn_DPAoffset", "3F"}}, {"dpa_up.wav", "up.wav", "dpa_down.wav"}, {{4, 0x3F}}, 3},
        {"P wraps at 7, p from 0 goes to 7", {{"txtIn_PFD", "7"}}, {'P', 'p'}, {{"txtIn_PFD", "7"}},
         {"pfd_up.wav", "pfd_down.wav"}, {{1, 0x07}}},
        {"H at 4090 stops at 4095", {{"txtIn_HorizTotal", "4090"}}, {'H'}, {{"txtIn_HorizTotal", "4095"}},
         {"horiz_up.wav"}, {{2, 0xF7}, {3, 0x0F}}},
        {"h from 13 gives 5, which is the smallest divider", {{"txtIn_HorizTotal", "13"}}, {'h'},
         {{"txtIn_HorizTotal", "9"}, {"txtIn_FdBk0", "01"}}, {"horiz_dn.wav"}, {{2, 0x01}, {3, 0x00}}},
        {"G and g step the divider by one", {{"txtIn_HorizTotal", "1696"}}, {'G', 'G', 'g'},
         {{"txtIn_HorizTotal", "1697"}}, {"horiz_up.wav", "up.wav", "horiz_dn.wav"}, {{2, 0x99}, {3, 0x06}}},
        {"keys sharing a short file are still different keys", {}, {'d', 'd', 'G', 'H', 'H', 'h', 'g', 'g'}, {},
         {"dpa_down.wav", "down.wav", "horiz_up.wav", "horiz_up.wav", "up.wav", "horiz_dn.wav", "horiz_dn.wav",
          "down.wav"},
         {}},
        {"256 + 68 is D; a code without a character breaks the run", {{"txtIn_DPAoffset", "0"}},
         {256 + 68, 600, 'D', 'D', 'c', 'D'}, {{"txtIn_DPAoffset", "4"}},
         {"dpa_up.wav", "dpa_up.wav", "up.wav", "dpa_up.wav"}, {}, 4},
    };
    for (const HotKeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        int calculatorUpdates = 0;
        lab.app->links.calculatorUpdate = [&] { ++calculatorUpdates; };
        for (const auto& [name, text] : c.start)
            lab.find<QLineEdit>(name)->setText(text);
        lab.takeTrace();
        pressDuringNextCalls(c.keys);
        execute();

        for (const auto& [name, text] : c.end)
            EXPECT_EQ(lab.find<QLineEdit>(name)->text(), text) << name.toStdString();
        EXPECT_EQ(heardFiles(), c.sounds);
        const std::map<int, int> field = {{1, 0x07}, {2, 0xFF}, {3, 0xFF}, {4, 0x3F}};
        for (const auto& [reg, value] : c.stored)
            EXPECT_EQ(lab.board().u1().storedRegister(static_cast<std::uint8_t>(reg)) & field.at(reg), value)
                << "register " << reg;
        if (c.register4Writes >= 0) {
            const test::Ops ops = bus();
            EXPECT_EQ(std::count_if(ops.begin(), ops.end(), [](const auto& o) { return o.starts_with("4C 04="); }),
                      c.register4Writes);
            EXPECT_EQ(calculatorUpdates, c.register4Writes) << "each U1 write updates the calculator";
        }
    }
}

TEST_F(VideoPatterns, FilterKeysGoThroughTheFilterBoxAndTheSoundModeDecidesWhatIsHeard)
{
    QCheckBox* filter = lab.find<QCheckBox>("ckIn_ExtFilter");
    pressDuringNextCalls({'f'});
    execute();
    EXPECT_TRUE(filter->isChecked());
    EXPECT_EQ(heardFiles(), QStringList{"internal.wav"});
    // The run goes on across two pattern runs: the same key is the short sound.
    pressDuringNextCalls({'f', 'F'});
    execute();
    EXPECT_FALSE(filter->isChecked());
    EXPECT_EQ(heardFiles(), (QStringList{"internal.wav", "external.wav"}));

    menu("mnuNoSnd");
    pressDuringNextCalls({'D', 'd', 'P', 'p', 'G', 'g', 'H', 'h', 'F', 'f', 'c', 'x', '1', 'D'});
    execute();
    EXPECT_EQ(heardFiles(), QStringList{});
    menu("mnuBeep");
    execute();
    EXPECT_EQ(heardFiles(), QStringList(11, "beep"));
    // The run goes on across a change of sound mode.
    menu("mnuVoice");
    pressDuringNextCalls({'D'});
    execute();
    EXPECT_EQ(heardFiles(), QStringList{"up.wav"});
}

TEST_F(VideoPatterns, UseBitmapInsistsOnAFileAndRefusesOneThatCannotBeRead)
{
    QTemporaryDir dir;
    const QString good = dir.path() + "/grid.bmp";
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(good, "BMP"));
    const QString text = test::writeBytes(dir.path() + "/notes.bmp", "not a bitmap");

    click("obPattern_20");
    lab.dialogs.openFiles = {std::nullopt, std::nullopt, good};
    execute();
    ASSERT_EQ(lab.dialogs.fileDialogs.size(), 3u) << "Cancel opens the dialog again";
    EXPECT_EQ(lab.dialogs.fileDialogs.back().request.directory, QDir::currentPath());
    EXPECT_EQ(lastCall().pattern, 20);
    EXPECT_EQ(QString::fromLocal8Bit(lastCall().bitmapFile), good);

    // Another pattern gets an empty name; the chosen file stays chosen.
    click("obPattern_3");
    execute();
    EXPECT_STREQ(lastCall().bitmapFile, "");

    const std::pair<QString, QString> unreadable[] = {
        {dir.path() + "/missing.bmp", "there is no such file"},
        {text, "it is not a bitmap"},
        {dir.path(), "it is a folder"},
    };
    click("obPattern_20");
    for (const auto& [path, reason] : unreadable) {
        lab.dialogs.openFiles = {path};
        window().cmdBrowse->click();
        const int before = calls();
        lab.dialogs.messages.clear();
        execute();
        EXPECT_EQ(calls(), before) << "no pattern for " << path.toStdString();
        ASSERT_EQ(lab.dialogs.messages.size(), 1u);
        EXPECT_TRUE(lab.dialogs.messages[0].text.contains(QDir::toNativeSeparators(path)));
        EXPECT_TRUE(lab.dialogs.messages[0].text.contains(reason)) << lab.dialogs.messages[0].text.toStdString();
    }
}

TEST_F(VideoPatterns, ARendererThatCannotBeLoadedOrShownIsAMessageNamingWhy)
{
    QTemporaryDir dir;
    const QString notALibrary = test::writeBytes(dir.path() + "/libzvxrenderer.so", "text");
    const std::pair<QString, QString> broken[] = {
        {"/nonexistent/libzvxrenderer.so", "/nonexistent/libzvxrenderer.so: no such file"},
        {notALibrary, notALibrary + ": "},
    };
    for (const auto& [path, says] : broken) {
        frmVideoPatterns other(*lab.app, path);
        lab.dialogs.messages.clear();
        other.cmdExecute->click();
        ASSERT_EQ(lab.dialogs.messages.size(), 1u);
        EXPECT_TRUE(lab.dialogs.messages[0].text.startsWith("The pattern renderer cannot be loaded:"));
        EXPECT_TRUE(lab.dialogs.messages[0].text.contains(says)) << lab.dialogs.messages[0].text.toStdString();
        other.refreshDisplayTiming();
        EXPECT_EQ(other.lblDisplayTiming->text(), "Display timing unknown: the pattern renderer cannot be loaded.");
    }

    FakeRenderer_setResult(1, "no display to open");
    lab.dialogs.messages.clear();
    execute();
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_EQ(lab.dialogs.messages[0].text, "The pattern could not be shown: no display to open.");
}

TEST_F(VideoPatterns, TheTimingLineShowsWhatTheDisplayRunsAndUseForU1TakesIt)
{
    ZvxDisplayTiming t{};
    t.width = 1024;
    t.height = 768;
    t.modeChange = 1;
    t.refreshHz = 60.004;
    t.pixelClockHz = 65.0e6;
    t.totalPixelsPerLine = 1344;
    FakeRenderer_setTiming(1, &t);
    window().cmboMode->setCurrentIndex(2);
    menu("mnuVideoPatterns");
    EXPECT_EQ(window().lblDisplayTiming->text(), "Display: 1024x768 at 60.00 Hz, 1344 pixels/line, Hsync 48.36 kHz");
    ASSERT_TRUE(window().cmdUseForU1->isEnabled());

    window().cmdUseForU1->click();
    EXPECT_EQ(lab.app->calculator().txtHsync->text(), "48.363");
    EXPECT_EQ(lab.window().txtHsync->text(), "48.363") << "the calculator's update copies it back";
    EXPECT_EQ(text("txtIn_HorizTotal"), "1344");
    EXPECT_EQ(lab.board().u1().storedRegister(2) + 256 * lab.board().u1().storedRegister(3) + 8, 1344)
        << "written at once with automatic write on";

    // Where the display server keeps its mode and tells no pixel clock.
    t.width = 2560;
    t.height = 1440;
    t.modeChange = 0;
    t.pixelClockHz = 0;
    t.totalPixelsPerLine = 0;
    std::snprintf(t.note, sizeof t.note, "under Wayland the compositor keeps the monitor's mode");
    FakeRenderer_setTiming(1, &t);
    window().cmboMode->setCurrentIndex(1);
    EXPECT_EQ(window().lblDisplayTiming->text(),
              "Display: 2560x1440 at 60.00 Hz; pixels/line unknown (under Wayland the compositor keeps the "
              "monitor's mode)\nThe 800x600 pattern is drawn at its own size in the middle of the screen.");
    EXPECT_FALSE(window().cmdUseForU1->isEnabled());
    // A size and rate that have a standard timing are offered it for U1.
    t.width = 1280;
    t.height = 1024;
    t.refreshHz = 60.02;
    FakeRenderer_setTiming(1, &t);
    window().cmboMode->setCurrentIndex(4);
    EXPECT_TRUE(window().lblDisplayTiming->text().endsWith(
        "\nStandard mode 1280x1024@60: 1688 pixels/line, Hsync 63.981 kHz (offered for U1)"))
        << window().lblDisplayTiming->text().toStdString();
    ASSERT_TRUE(window().cmdUseForU1->isEnabled());
    window().cmdUseForU1->click();
    EXPECT_EQ(lab.app->calculator().txtHsync->text(), "63.981");
    EXPECT_EQ(text("txtIn_HorizTotal"), "1688");

    const ZvxDisplayTiming none{0, 0, 0, 0, 0, 0, 0, 0, "", "the display cannot be opened"};
    FakeRenderer_setTiming(0, &none);
    window().cmboRefreshRate->setCurrentIndex(1);
    EXPECT_EQ(window().lblDisplayTiming->text(), "Display timing unknown: the display cannot be opened");
    EXPECT_FALSE(window().cmdUseForU1->isEnabled());
}

TEST_F(VideoPatterns, AdvancedWindowEditsGoIntoTheRecordAtOnce)
{
    frmAdvancedVideoSettings& adv = advanced();

    lab.dialogs.colors = {QColor(255, 0, 0), std::nullopt, QColor(0, 0, 255)};
    adv.cmdForegroundColor->click();
    adv.cmdSeedColor->click();  // cancelled
    adv.cmdBackgroundColor->click();
    EXPECT_EQ(lab.dialogs.colorDialogs,
              (std::vector<QColor>{QColor(255, 255, 255), QColor(0, 0, 0), QColor(0, 0, 0)}));
    const videoSettings& s = window().patternState().settings;
    EXPECT_EQ(s.foreColor, 0x0000FF) << "red in the low byte";
    EXPECT_EQ(s.backColor, 0xFF0000);
    EXPECT_EQ(s.seedColor, 0);
    EXPECT_EQ(adv.lblForeColorIndicator->palette().color(QPalette::Window), QColor(255, 0, 0));

    // Typed texts follow the text-to-number rule; spinners stay in range.
    struct Step {
        QLineEdit* box;
        Spinner* spinner;
        const char* typed;
        int by;  // spinner steps after typing
        const char* shown;
        const std::int32_t* field;
        std::int32_t value;
    };
    const Step steps[] = {
        {adv.txtCheckBoxSize, adv.UpDownCheckBoxSize, "2048", 1, "2048", &s.checkBoxSize, 2048},
        {adv.txtCheckBoxSize, adv.UpDownCheckBoxSize, "0", 1, "1", &s.checkBoxSize, 1},
        {adv.txtYsize, adv.UpDown2, "12.5", 0, "12.5", &s.ySize, 12},
        {adv.txtRedIncr, adv.UpDownRedIncr, "-255", -1, "-255", &s.redIncr, -255},
        {adv.txtGrnIncr, adv.UpDownGrnIncr, "abc", 0, "abc", &s.grnIncr, 0},
        {adv.txtBlueIncr, adv.UpDownBlueIncr, "7", -2, "5", &s.blueIncr, 5},
    };
    for (const Step& st : steps) {
        st.box->setText(st.typed);
        st.spinner->stepBy(st.by);
        EXPECT_EQ(st.box->text(), st.shown) << st.typed;
        EXPECT_EQ(*st.field, st.value) << st.typed;
    }

    adv.cmdExecute->click();
    ASSERT_EQ(calls(), 1);
    EXPECT_EQ(lastCall().settings.blueIncr, 5) << "the edited record";
    adv.cmdOK->click();
    EXPECT_FALSE(adv.isVisible());
}

} // namespace
} // namespace zvx
