// The address dialog, the toggle test and the About box, opened from the
// main window's menu and driven by their widgets on the simulated board.
#include "support/LabTest.h"

#include "tools/ToolInput.h"
#include "tools/frmSysInfo.h"
#include "transport/I2cBus.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

using namespace zvx;

namespace {

class SmallDialogs : public test::LabTest {
protected:
    // Writes of U1 register 7 (the In-Sel register) since the last look at the bus.
    long registerSevenWrites()
    {
        return std::ranges::count_if(bus(), [](const std::string& op) { return op.starts_with("4C 07="); });
    }
};

} // namespace

TEST(ToolInput, AddressAndToggleCountTexts)
{
    struct Case {
        const char* text;
        std::optional<std::int16_t> address;
    };
    for (const Case& c : {Case{"4e", 0x4E}, Case{"4Cxy", 0x4C}, Case{"zz", 0}, Case{"", 0}, Case{"FFFF", -1},
                          Case{"0004C", 0x4C}, Case{"10000", std::nullopt}, Case{"FFFFFFFFFFFFFFFFFFFF", std::nullopt}})
        EXPECT_EQ(addressFromText(c.text), c.address) << c.text;

    for (auto [text, count] : {std::pair<const char*, std::optional<int>>{"3", 3}, {"abc", 0}, {"32766", 32766},
                               {"32767", std::nullopt}, {"1e9", std::nullopt}, {"-1", std::nullopt}})
        EXPECT_EQ(toggleCountFromText(text), count) << text;
}

TEST_F(SmallDialogs, AddressDialogAppliesOnOkKeepingTheTypedCaseInTheMenuAndCancelAppliesNothing)
{
    frmAddresses& dialog = lab.app->addressDialog();
    menu("mnu_SelectAddress");
    ASSERT_TRUE(dialog.isVisible());
    dialog.txt_U1writeAddress->setText("4e");
    dialog.cmdOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(lab.app->addresses.U1writeAddress, 0x4E);
    EXPECT_EQ(lab.find<QAction>("mnuU1")->text(), "U1 Primary,      I2C Read=4D, Write=4e");
    EXPECT_EQ(lab.find<QAction>("mnuU4")->text(), "U4 Secondary, I2C Read=4F, Write=4E");
    lab.app->rawEditor().cmdReg[0]->click();
    EXPECT_EQ(lab.takeTrace(), "[START] 4E [a] 00 [a] 00 [a] [STOP]\r\n");

    // Reopened from the menu the boxes show the addresses in force.
    menu("mnu_SelectAddress");
    EXPECT_EQ(dialog.txt_U1writeAddress->text(), "4E");
    dialog.cmd_RestoreAddresses->click();
    EXPECT_EQ(dialog.txt_U1writeAddress->text(), "4C");
    EXPECT_EQ(lab.app->addresses.U1writeAddress, 0x4E) << "Default only fills the boxes";

    // Cancel, or an oversized box, applies nothing.
    const QString u1Caption = lab.find<QAction>("mnuU1")->text();
    dialog.txt_U4readAddress->setText("12");
    dialog.cmdCancel->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(lab.app->addresses.U4readAddress, 0x4F);

    menu("mnu_SelectAddress");
    EXPECT_EQ(dialog.txt_U4readAddress->text(), "4F") << "a cancelled edit does not come back";
    dialog.txt_U1readAddress->setText("40");
    dialog.txt_U4writeaddress->setText("12345");
    dialog.cmdOK->click();
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_NE(lab.dialogs.messages[0].text.indexOf("U4 Write Address \"12345\""), -1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(lab.app->addresses.U1readAddress, 0x4D);
    EXPECT_EQ(lab.find<QAction>("mnuU1")->text(), u1Caption);
}

TEST_F(SmallDialogs, ToggleTestRunsCountPlusOneRepetitionsYieldsBetweenThemAndRefusesCountsOutOfRange)
{
    frmTolvoAdditions& toggle = lab.app->toggleTest();
    EXPECT_FALSE(lab.find<QAction>("mnu_TolvoForm")->isVisible());
    menu("mnu_TolvoForm");
    toggle.txtNumberOfToggles->setText("3");

    // The status shown while each repetition writes register 7.
    std::vector<QString> shown;
    BusLog::Listener listener;
    listener.appended = [&](std::string_view, std::size_t) {
        if (shown.empty() || shown.back() != toggle.lblToggleStatus->text())
            shown.push_back(toggle.lblToggleStatus->text());
    };
    lab.app->bus().log.addListener(std::move(listener));
    toggle.cmdStartToggle->click();
    EXPECT_EQ(shown, (std::vector<QString>{"0", "1", "2", "3"}));
    EXPECT_EQ(registerSevenWrites(), 4);
    EXPECT_EQ(toggle.lblToggleStatus->text(), "0");
    EXPECT_EQ(toggle.cmdStartToggle->text(), "Start");
    EXPECT_FALSE(toggle.isRunning());

    // It yields only between whole transactions: commands of other windows
    // arriving while it runs.
    toggle.txtNumberOfToggles->setText("20");
    QTimer::singleShot(0, &toggle, [&] { click("cmdIn_WriteAll"); });
    QTimer::singleShot(0, &toggle, [&] { lab.app->rawEditor().cmd_ReadAll->click(); });
    QTimer::singleShot(0, &toggle, [&] { click("cmdOut_ReadAll"); });
    toggle.cmdStartToggle->click();
    EXPECT_GE(registerSevenWrites(), 21);
    EXPECT_EQ(lab.app->bus().engine.refusedTransactions(), 0u);

    // A count out of range is refused and nothing runs.
    for (const char* count : {"32767", "-1"}) {
        toggle.txtNumberOfToggles->setText(count);
        toggle.cmdStartToggle->click();
        EXPECT_EQ(registerSevenWrites(), 0) << count;
    }
    ASSERT_EQ(lab.dialogs.messages.size(), 2u);
    EXPECT_EQ(lab.dialogs.messages[0].text, "The number of times to toggle must be from 0 to 32766.");
    toggle.txtNumberOfToggles->setText("abc");
    toggle.cmdStartToggle->click();
    EXPECT_EQ(registerSevenWrites(), 1);
}

TEST_F(SmallDialogs, ToggleTestStopsAfterTheCurrentRepetition)
{
    frmTolvoAdditions& toggle = lab.app->toggleTest();
    toggle.show();
    // Second click on the button, on exit, on closing the window: each lands
    // in the first yield, after repetition 0.
    const std::vector<std::function<void()>> stops = {
        [&] {
            EXPECT_EQ(toggle.cmdStartToggle->text(), "Interrupt");
            toggle.cmdStartToggle->click();
        },
        [&] { toggle.cmdCloseTolvoForm->click(); },
        [&] { lab.app->mnuExit_Click(); },
    };
    for (const auto& stop : stops) {
        QTimer::singleShot(0, &toggle, stop);
        toggle.cmdStartToggle_Click();
        EXPECT_EQ(registerSevenWrites(), 1);
        EXPECT_EQ(toggle.lblToggleStatus->text(), "0");
        EXPECT_EQ(toggle.cmdStartToggle->text(), "Start");
    }
}

TEST_F(SmallDialogs, AboutBoxShowsTheSystemInformation)
{
    frmAbout& about = lab.app->aboutBox();
    menu("mnuI2C_about");
    EXPECT_TRUE(about.isVisible());

    // A machine with two parallel ports, one without its device node.
    QTemporaryDir root;
    const std::filesystem::path base = root.path().toStdString();
    for (const char* port : {"parport0", "parport1"})
        std::filesystem::create_directories(base / "proc" / port);
    std::ofstream(base / "proc/parport0/base-addr") << "888\t1912\n";
    std::ofstream(base / "proc/parport1/base-addr") << "632\t0\n";
    std::filesystem::create_directories(base / "dev");
    std::ofstream(base / "dev/parport0");
    std::ofstream(base / "os-release") << "NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n";
    about.sysInfoSources = {base / "os-release", base / "proc", base / "dev", [] { return std::string("Linux 6.1.0 x86_64"); }};
    about.cmdSysInfo->click();
    ASSERT_NE(about.sysInfoWindow(), nullptr);
    EXPECT_TRUE(about.sysInfoWindow()->isVisible());
    const std::string text = about.sysInfoWindow()->txtInfo->toPlainText().toStdString();
    EXPECT_EQ(text.substr(0, text.find("Qt: ")),
              "Operating system: Debian GNU/Linux 12 (bookworm)\nKernel: Linux 6.1.0 x86_64\n");
    EXPECT_NE(text.find("Port backend: simulated evaluation board\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  parport0: base LPT1 0x378, " + (base / "dev/parport0").string() + ", may open: yes\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("  parport1: base LPT2 0x278, " + (base / "dev/parport1").string() +
                        ", may open: no: no device node"),
              std::string::npos) << text;

    about.sysInfoSources.kernel = [] { return std::optional<std::string>(); };
    about.cmdSysInfo->click();
    ASSERT_EQ(lab.dialogs.messages.size(), 1u);
    EXPECT_EQ(lab.dialogs.messages[0].text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(lab.dialogs.messages[0].buttons, QMessageBox::Ok);
}
