#include "mainwindow/MainWindow.h"

#include "mainwindow/DevicePanel.h"
#include "mainwindow/ElidedLabel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/Twips.h"
#include "transport/I2cBus.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace zvx {

MainWindow::MainWindow(Lab& app) : app_(app)
{
    setObjectName(QStringLiteral("I2CtabbedGUI"));
    setWindowTitle(QStringLiteral("ZVX 7246 Register Tool"));
    buildMenus();
    buildClientArea();
    portStatus = new ElidedLabel(this);
    portStatus->setObjectName(QStringLiteral("portStatus"));
    statusBar()->addWidget(portStatus, 1);
    busStatus = new ElidedLabel(this);
    busStatus->setObjectName(QStringLiteral("busStatus"));
    statusBar()->addWidget(busStatus, 1);
    // Key events reach the focused control directly; the application's
    // filter is the one place that sees them first for every control.
    qApp->installEventFilter(this);
}

namespace {

QAction* item(QMenu* menu, const char* objectName, const QString& caption)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(objectName));
    return a;
}

} // namespace

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [&](const char* objectName, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(objectName));
        return m;
    };

    QMenu* file = menu("mnuI2C_File", QStringLiteral("&File"));
    mnuOpen = item(file, "mnuOpen", QStringLiteral("&Open"));
    mnuSave = item(file, "mnuSave", QStringLiteral("&Save"));
    mnuSave->setEnabled(false);
    mnuSaveAs = item(file, "mnuSaveAs", QStringLiteral("Save &As"));
    mnuExportRegisters = item(file, "mnuExportRegisters", QStringLiteral("Export Registers..."));
    mnuExit = item(file, "mnuExit", QStringLiteral("&Exit"));
    connect(mnuExit, &QAction::triggered, this, [this] { app_.mnuExit_Click(); });

    QMenu* chips = menu("mnuChipSelect", QStringLiteral("&Chip Select"));
    mnuU1 = item(chips, "mnuU1", QStringLiteral("U1 Primary,       I2C Read=4D, Write=4C"));
    mnuU4 = item(chips, "mnuU4", QStringLiteral("U4 Secondary,  I2C Read=4F, Write=4E"));
    for (QAction* a : {mnuU1, mnuU4})
        a->setCheckable(true);
    // The check marks only follow the visible panel, so a click on the
    // checked item must not clear it.
    connect(mnuU1, &QAction::triggered, this, [this] { mnuU1_Click(); });
    connect(mnuU4, &QAction::triggered, this, [this] { mnuU4_Click(); });

    QMenu* features = menu("mnuI2C_debug", QStringLiteral("Fea&tures"));
    mnu_Calc = item(features, "mnu_Calc", QStringLiteral("Calculato&r"));
    mnuLoopResponse = item(features, "mnuLoopResponse", QStringLiteral("&Loop Response..."));
    mnuLockWatch = item(features, "mnuLockWatch", QStringLiteral("Lock Watch..."));
    mnuI2C_AutoWrite = item(features, "mnuI2C_AutoWrite", QStringLiteral("Auto &Write"));
    mnuI2C_AutoWrite->setCheckable(true);
    connect(mnuI2C_AutoWrite, &QAction::triggered, this, [this] { mnuI2C_AutoWrite_Click(); });
    mnuShowBitBang = item(features, "mnuShowBitBang", QStringLiteral("&Bit Banging Console ..."));
    mnuShowBitBang->setVisible(false);
    mnuI2C_debug_debugWin = item(features, "mnuI2C_debug_debugWin", QStringLiteral("&Debug Messages Window ..."));
    mnuI2C_debug_ackOff = item(features, "mnuI2C_debug_ackOff", QStringLiteral("&ACK -not- required"));
    mnuI2C_debug_ackOff->setCheckable(true);
    connect(mnuI2C_debug_ackOff, &QAction::triggered, this, [this] { mnuI2C_debug_ackOff_Click(); });
    mnu_SelectAddress = item(features, "mnu_SelectAddress", QStringLiteral("&Custom Chip Addressing..."));
    mnu_TolvoForm = item(features, "mnu_TolvoForm", QStringLiteral("&Tolvo's Additions..."));
    mnu_TolvoForm->setVisible(false);
    mnuVideoPatterns = item(features, "mnuVideoPatterns", QStringLiteral("&Video Patterns..."));

    QMenu* lpt = menu("dummy3", QStringLiteral("LPT Port"));
    lptMenu = lpt;
    for (int i = 0; i < 3; ++i) {
        lptPorts[i] = item(lpt, i == 0 ? "LPT1" : i == 1 ? "LPT2" : "LPT3",
                           QStringLiteral("LPT&%1").arg(i + 1));
        lptPorts[i]->setCheckable(true);
        connect(lptPorts[i], &QAction::triggered, this, [this, i] { selectPortFromMenu(i); });
    }
    lptPorts[0]->setChecked(true);

    mnu_Freq = bar->addAction(QStringLiteral("&Set Frequency"));
    mnu_Freq->setObjectName(QStringLiteral("mnu_Freq"));

    QMenu* sounds = menu("mnuSnds", QStringLiteral("Soun&ds"));
    mnuVoice = item(sounds, "mnuVoice", QStringLiteral("Voice"));
    mnuBeep = item(sounds, "mnuBeep", QStringLiteral("Beep"));
    mnuNoSnd = item(sounds, "mnuNoSnd", QStringLiteral("No Sound"));
    for (QAction* a : {mnuVoice, mnuBeep, mnuNoSnd}) {
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, a] { mnuSound_Click(a); });
    }
    mnuVoice->setChecked(true);

    dummy2 = bar->addAction(QString(10, QLatin1Char(' ')));
    dummy2->setObjectName(QStringLiteral("dummy2"));
    dummy2->setEnabled(false);

    QMenu* help = menu("mnuI2C_Help", QStringLiteral("&Help"));
    mnuI2C_about = item(help, "mnuI2C_about", QStringLiteral("&About"));
}

void MainWindow::buildClientArea()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twips(8325), twips(5355));
    setCentralWidget(client);

    auto label = [&](const char* objectName, const QString& caption, int l, int t, int w, int h = 255) {
        auto* lb = new QLabel(caption, client);
        lb->setObjectName(QString::fromLatin1(objectName));
        place(lb, l, t, w, h);
        return lb;
    };
    auto box = [&](const char* objectName, int l, int t, int w) {
        auto* e = new QLineEdit(client);
        e->setObjectName(QString::fromLatin1(objectName));
        place(e, l, t, w, 285);
        return e;
    };

    QLabel* title = label("Label15", QStringLiteral("ZVX 7246 Register Tool"), 120, 60, 3400, 435);
    QFont serif(QStringLiteral("Serif"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSizeF(title->font().pointSizeF() * 1.6);
    serif.setBold(true);
    title->setFont(serif);
    lblVersion = label("lblVersion", QStringLiteral("Version: x.x.xxx"), 120, 500, 2000);

    label("Label35", QStringLiteral("Loop Filter"), 3700, 90, 1000);
    label("Label36", QStringLiteral("Values:"), 3700, 360, 1000);
    txtC1 = box("txtC1", 4700, 90, 600);
    label("Label34", QStringLiteral("pF"), 5340, 120, 300);
    txtR = box("txtR", 5700, 90, 600);
    label("Label32", QStringLiteral("K"), 6340, 120, 300);
    txtC2 = box("txtC2", 6700, 90, 600);
    label("Label33", QStringLiteral("pF"), 7340, 120, 300);
    // The three boxes carry only units beside them; their names show on
    // hover and reach screen readers.
    for (auto [box, name] : {std::pair{txtC1, "C1"}, {txtR, "R"}, {txtC2, "C2"}}) {
        box->setToolTip(QString::fromLatin1(name));
        box->setAccessibleName(QString::fromLatin1(name));
    }

    // Off the visible client area: the Hsync text is
    // shared with the calculator and the setup files, the test button is a
    // developer's aid.
    txtHsync = box("txtHsync", 9000, 600, 600);
    txtHsync->setText(QStringLiteral("31.5"));
    txtHsync->setVisible(false);
    // The button lies below the client area's bottom edge: never seen, but
    // in the focus order, so Tab reaches it and Space presses it.
    cmdTest = new QPushButton(QStringLiteral("test"), client);
    cmdTest->setObjectName(QStringLiteral("cmdTest"));
    place(cmdTest, 120, 5600, 600, 285);
    connect(cmdTest, &QPushButton::clicked, this, [this] { testStepDown(); });

    for (int i = 0; i < 2; ++i) {
        frmTabs[i] = new DevicePanel(app_, i == 0 ? Device::U1 : Device::U4, client);
        frmTabs[i]->move(twips(90), twips(i == 0 ? 810 : 810 + 4485 + 120));
    }
    frmTabs[1]->setVisible(false);
    fitClockFigures(client);
}

void MainWindow::fitClockFigures(QWidget* client)
{
    // The U1 panel's clock output and DPA delay figures get the width their
    // longest figure takes in the window's own font (a four-digit MHz clock,
    // a five-digit delay); the panels and the client area grow by what that
    // needs beyond their design. The calculator gives each figure its whole
    // text as tooltip, for a figure longer still.
    DevicePanel* in = inPanel();
    int grow = 0;
    for (auto [figure, longest] : {std::pair{in->lblClockOutput, " =  8888.888 MHz"},
                                   std::pair{in->lblDPAdelay, " =  88888 psec"}}) {
        const int width = figure->fontMetrics().horizontalAdvance(QString::fromLatin1(longest))
                          + 2 * (figure->margin() + figure->frameWidth()) + figure->fontMetrics().averageCharWidth();
        figure->resize(std::max(width, figure->width()), figure->height());
        grow = std::max(grow, figure->geometry().right() + 1 - in->width());
    }
    if (grow <= 0)
        return;
    for (DevicePanel* panel : frmTabs)
        panel->resize(panel->width() + grow, panel->height());
    client->setFixedSize(client->width() + grow, client->height());
}

void MainWindow::Form_Load()
{
    lblVersion->setText(QStringLiteral("Version: %1.%2.%3")
                            .arg(ZVX_VERSION_MAJOR).arg(ZVX_VERSION_MINOR).arg(ZVX_VERSION_PATCH));
    frmTabs[1]->move(frmTabs[0]->pos());
    mnuU1->setChecked(true);
    mnuU4->setChecked(false);
    mnuI2C_AutoWrite_Click();
}

void MainWindow::mnuU1_Click()
{
    mnuU1->setChecked(true);
    mnuU4->setChecked(false);
    frmTabs[0]->setVisible(true);
    frmTabs[1]->setVisible(false);
}

void MainWindow::mnuU4_Click()
{
    mnuU4->setChecked(true);
    mnuU1->setChecked(false);
    frmTabs[0]->setVisible(false);
    frmTabs[1]->setVisible(true);
}

void MainWindow::mnuI2C_AutoWrite_Click()
{
    // With automatic write on, every edit writes at once and the register
    // "write" buttons have nothing to do; the RESET one stays, as a reset is
    // sent on purpose. Toggling writes nothing itself.
    DevicePanel* in = inPanel();
    DevicePanel* out = outPanel();
    const std::array<QPushButton*, 16> buttons = {
        in->cmdInputCntl, out->cmdInputCntl, in->cmdOutputCntl, out->cmdOutputCntl,
        in->cmdOscDiv, out->cmdOscDiv, in->cmdFdBkDiv, out->cmdFdBkDiv,
        in->cmdLoopCntl, out->cmdLoopCntl, in->cmdDPAoffset, out->cmdDPAoffset,
        in->cmdDPAcntl, out->cmdDPAcntl, in->cmdRESET, out->cmdRESET};
    bool& autoWrite = app_.settings.autoWrite;
    autoWrite = !autoWrite;
    mnuI2C_AutoWrite->setChecked(autoWrite);
    for (QPushButton* b : buttons)
        b->setEnabled(!autoWrite || b == in->cmdRESET || b == out->cmdRESET);
}

void MainWindow::mnuSound_Click(QAction* item)
{
    // The item's own check mark has already flipped with the click.
    for (QAction* a : {mnuVoice, mnuBeep, mnuNoSnd})
        a->setChecked(a == item);
}

SoundMode MainWindow::soundMode() const
{
    if (mnuVoice->isChecked())
        return SoundMode::Voice;
    if (mnuBeep->isChecked())
        return SoundMode::Beep;
    return SoundMode::NoSound;
}

void MainWindow::testStepDown()
{
    inPanel()->turboDn();
    inPanel()->cmdWriteFdBkDiv(false);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this)
        return Form_KeyPress(static_cast<QKeyEvent*>(event)->text());
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::Form_KeyPress(const QString& key)
{
    // Upper case only: "d" and "j" are ordinary letters (and "d" a hex digit).
    if (key == QLatin1String("D")) {
        DevicePanel* in = inPanel();
        in->lblDPAdelayLabel->setVisible(true);
        in->lblDPAdelay->setVisible(true);
        return true;
    }
    if (key == QLatin1String("J")) {
        if (app_.links.showRawEditor)
            app_.links.showRawEditor();
        return true;
    }
    return false;
}

void MainWindow::mnuI2C_debug_ackOff_Click()
{
    bool& off = app_.bus().engine.ackNotRequired;
    off = !off;
    mnuI2C_debug_ackOff->setChecked(off);
}

void MainWindow::selectPortFromMenu(int index)
{
    for (int i = 0; i < 3; ++i)
        lptPorts[i]->setChecked(i == index);
    app_.bus().lines.selectLPTport(static_cast<std::int16_t>(index));
    setPortStatus(QString::fromStdString(app_.bus().portDescription()));
}

void MainWindow::setPortStatus(const QString& text)
{
    portStatus->setFullText(text);
}

void MainWindow::showChipAnswer(Device device, const QString& problem)
{
    if (problem.isEmpty()) {
        if (busStatusDevice_ == device)
            busStatus->setFullText(QString());
        return;
    }
    busStatusDevice_ = device;
    busStatus->setFullText(problem);
}

void MainWindow::greyLineControls(const QString& adapter)
{
    auto grey = [](auto* item, const QString& why) {
        item->setEnabled(false);
        item->setToolTip(why);
    };
    const QString bus = QStringLiteral("The bus is the I2C adapter %1").arg(adapter);
    grey(lptMenu->menuAction(), bus + QStringLiteral(", not a parallel port"));
    for (QAction* a : lptPorts) {
        a->setChecked(false);
        grey(a, bus + QStringLiteral(", not a parallel port"));
    }
    lptMenu->setToolTipsVisible(true);
    grey(mnuShowBitBang, bus + QStringLiteral(": there are no parallel-port pins to drive"));
    if (auto* features = qobject_cast<QMenu*>(mnuI2C_debug_ackOff->parent()))
        features->setToolTipsVisible(true);
    grey(mnuI2C_debug_ackOff,
         bus + QStringLiteral(": the adapter always waits for acknowledges and ends a transfer at a missing one"));
    DevicePanel* in = inPanel();
    for (QWidget* w : {static_cast<QWidget*>(in->txtDelay), static_cast<QWidget*>(in->lblDelay)})
        if (w)
            grey(w, bus + QStringLiteral(": the adapter sets the bus speed; the delay count paces only the parallel port"));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Form_Unload: closing the window ends the program as Exit does.
    app_.mnuExit_Click();
    event->accept();
}

} // namespace zvx
