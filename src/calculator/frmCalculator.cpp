#include "calculator/frmCalculator.h"

#include "calculator/CalculatorModule.h"
#include "calculator/frmVideoModes.h"
#include "device/NumberText.h"
#include "mainwindow/ControlRule.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/Twips.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

namespace zvx {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

QLabel* label(QWidget* parent, const char* objectName, const QString& caption, int l, int t, int w, int h = 255)
{
    auto* lb = new QLabel(caption, parent);
    if (objectName)
        lb->setObjectName(QString::fromLatin1(objectName));
    place(lb, l, t, w, h);
    return lb;
}

QLineEdit* box(QWidget* parent, const char* objectName, const QString& text, int l, int t, int w)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(objectName));
    place(e, l, t, w, 285);
    return e;
}

QPushButton* button(QWidget* parent, const char* objectName, const QString& caption, int l, int t)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    place(b, l, t, 1200, 405);
    return b;
}

QGroupBox* frame(QWidget* parent, const char* objectName, const QString& caption, int l, int t, int w, int h)
{
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(objectName));
    place(g, l, t, w, h);
    return g;
}

// The calculator's length limit: a text longer than maxChars keeps its first
// maxChars characters, with the caret at the end, so a character typed into
// a full box is removed at once.
void keepFirst(QLineEdit* box, int maxChars)
{
    onTextChange(box, [box, maxChars] {
        if (box->text().size() <= maxChars)
            return;
        box->setText(box->text().left(maxChars));
        box->setCursorPosition(int(box->text().size()));
    });
}

} // namespace

frmCalculator::frmCalculator(Lab& app) : app_(app)
{
    setObjectName(QStringLiteral("frmCalculator"));
    setWindowTitle(QStringLiteral("7246 Calculator"));

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuClose = file->addAction(QStringLiteral("&Close"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    connect(mnuClose, &QAction::triggered, this, [this] { cmdClose_Click(); });

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twips(5640), twips(6240));
    setCentralWidget(client);

    Label1 = label(client, "Label1", QStringLiteral("U1 Calculator Screen"), 120, 60, 4800, 435);
    QFont serif(QStringLiteral("Serif"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSizeF(Label1->font().pointSizeF() * 1.4);
    serif.setBold(true);
    Label1->setFont(serif);

    for (int i = 0; i < 2; ++i) {
        frmTabs[i] = new QFrame(client);
        frmTabs[i]->setObjectName(QStringLiteral("frmTabs_%1").arg(i));
        // Drawn side by side; the load step stacks them.
        place(frmTabs[i], 120 + i * 5520, 600, 5400, 5520);
    }
    buildClockPage(frmTabs[0]);
    buildLoopFilterPage(frmTabs[1]);
    wireInputs();
    Form_Load();
}

void frmCalculator::buildClockPage(QFrame* page)
{
    Frame1 = frame(page, "Frame1", QStringLiteral("Input Frequencies"), 0, 0, 5400, 1740);
    lblOsc = label(Frame1, "lblOsc", QStringLiteral("Oscillator"), 120, 330, 1320);
    txtOscillator = box(Frame1, "txtOscillator", QStringLiteral("4.0"), 1500, 300, 1080);
    lblOscMhz = label(Frame1, "lblOscMhz", QStringLiteral("MHz"), 2700, 330, 600);
    lblHsync = label(Frame1, "lblHsync", QStringLiteral("Hsync"), 120, 690, 1320);
    txtHsync = box(Frame1, "txtHsync", QStringLiteral("31.5"), 1500, 660, 1080);
    lblHsynckhz = label(Frame1, "lblHsynckhz", QStringLiteral("kHz"), 2700, 690, 600);
    cmdMode = button(Frame1, "cmdMode", QStringLiteral("Mode..."), 3360, 645);
    place(cmdMode, 3360, 645, 1080, 315);  // as tall as the box beside it
    cmdMode->setToolTip(QStringLiteral("Hsync and U1's Total Pixels/Line from a standard video mode"));
    connect(cmdMode, &QPushButton::clicked, this, [this] { cmdMode_Click(); });
    label(Frame1, "Label2", QStringLiteral("Phase Detector"), 120, 1050, 1320);
    txtPhaseDetector = box(Frame1, "txtPhaseDetector", QStringLiteral("0"), 1500, 1020, 1080);
    lblPhaseDetectorUnits = label(Frame1, "lblPhaseDetectorUnits", QStringLiteral("kHz"), 2700, 1050, 600);
    label(Frame1, "Label3", QStringLiteral("VCO Speed"), 120, 1410, 1320);
    lblClockOutput = label(Frame1, "lblClockOutput", QStringLiteral("="), 1500, 1410, 2400);
    // Hsync mode at design: the oscillator row waits for the input mode.
    for (QWidget* w : std::initializer_list<QWidget*>{lblOsc, txtOscillator, lblOscMhz})
        w->setEnabled(false);
    txtPhaseDetector->setEnabled(false);  // display only

    Frame2 = frame(page, "Frame2", QStringLiteral("Pixel Clock Outputs"), 0, 1860, 5400, 1980);
    const struct {
        const char* captionName;
        const char* caption;
        QLabel** value;
        const char* valueName;
    } outputs[] = {
        {"Label7", "CLK       (SSTL-3, pin 17)", &lblCLK, "lblCLK"},
        {"Label9", "CLK/2    (SSTL-3, pin 16)", &lblCLK_2, "lblCLK_2"},
        {"lable8", "CLK+-     (PECL, pins -20/+21)", &lblCLK_pn, "lblCLK_pn"},
        {"Label10", "CLK/2+-  (PECL, pins -22/+23)", &lblCLK_2pn, "lblCLK_2pn"},
        {"Label11", "FUNC      (SSTL-3, pin 15)", &lblFUNC, "lblFUNC"},
    };
    int top = 330;
    for (const auto& o : outputs) {
        label(Frame2, o.captionName, QString::fromLatin1(o.caption), 120, top, 3000);
        *o.value = label(Frame2, o.valueName, QStringLiteral("="), 3180, top, 2100);
        // Greyed until the U1 output enables are first applied.
        (*o.value)->setEnabled(false);
        top += 330;
    }

    Frame3 = frame(page, "Frame3", QStringLiteral("DPA Delay"), 0, 3960, 5400, 1020);
    label(Frame3, "Label23", QStringLiteral("Unit Delay"), 120, 330, 1320);
    lblDPAdelay = label(Frame3, "lblDPAdelay", QStringLiteral("="), 1500, 330, 2400);
    label(Frame3, "Label25", QStringLiteral("Approx Total"), 120, 660, 1320);
    lblDPAdelayTotal = label(Frame3, "lblDPAdelayTotal", QStringLiteral("="), 1500, 660, 2400);

    cmdUpdate = button(page, "cmdUpdate", QStringLiteral("Update"), 1200, 5100);
    cmdClose = button(page, "cmdClose", QStringLiteral("Close"), 3000, 5100);
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

void frmCalculator::buildLoopFilterPage(QFrame* page)
{
    label(page, "Label4", QStringLiteral("Enter :"), 120, 0, 1500);
    const struct {
        QLineEdit** box;
        const char* name;
        const char* caption;
        const char* text;
    } inputs[] = {
        {&txt_PFD, "txt_PFD", "PFD Freq (kHz)", "47"}, {&txt_R, "txt_R", "R (kohm)", "3.3"},
        {&txt_C1, "txt_C1", "C1 (pF)", "100000"},      {&txt_C2, "txt_C2", "C2 (pF)", "3300"},
        {&txt_N, "txt_N", "N", "8320"},                {&txt_AKv, "txt_AKv", "Actual Kv", "250"},
        {&txt_Kd, "txt_Kd", "Kd", "64"},
    };
    int top = 330;
    for (const auto& in : inputs) {
        label(page, nullptr, QString::fromLatin1(in.caption), 120, top + 30, 1440);
        *in.box = box(page, in.name, QString::fromLatin1(in.text), 1620, top, 1080);
        top += 360;
    }

    label(page, "Label5", QStringLiteral("Results :"), 2940, 0, 1500);
    const struct {
        QLabel** value;
        const char* name;
        const char* caption;
    } results[] = {
        {&lbl_fzero, "lbl_fzero", "fzero (kHz)"},   {&lbl_fp2, "lbl_fp2", "fp2 (kHz)"},
        {&lbl_fn, "lbl_fn", "fn (kHz)"},            {&lbl_fin_fzero, "lbl_fin_fzero", "fin/fzero"},
        {&lbl_fn_fzero, "lbl_fn_fzero", "fn/fzero"}, {&lbl_zeta, "lbl_zeta", "zeta"},
    };
    top = 360;
    for (const auto& r : results) {
        label(page, nullptr, QString::fromLatin1(r.caption), 2940, top, 1140);
        *r.value = label(page, r.name, QStringLiteral("="), 4080, top, 1320);
        top += 360;
    }

    cmd_Calculate = button(page, "cmd_Calculate", QStringLiteral("Calculate"), 1620, 3000);
    connect(cmd_Calculate, &QPushButton::clicked, this, [this] { cmd_Calculate_Click(); });
}

void frmCalculator::wireInputs()
{
    keepFirst(txtOscillator, kOscillatorLimit);
    keepFirst(txtHsync, kHsyncLimit);
    keepFirst(txtPhaseDetector, kPhaseDetectorLimit);
    const std::pair<QLineEdit*, int> loopLimits[] = {{txt_PFD, 6}, {txt_R, 6}, {txt_C1, 7},
                                                     {txt_C2, 7},  {txt_N, 6}, {txt_AKv, 6}};
    for (auto [b, limit] : loopLimits)
        keepFirst(b, limit);

    // Every key first copies the box as it stands (the key not yet applied)
    // to the main window's Hsync box, which setup files save.
    onKeyPress(txtHsync, [this](const QKeyEvent& key) {
        if (MainWindow* main = app_.mainWindow())
            main->txtHsync->setText(txtHsync->text());
        if (!isEnterKey(key))
            return false;
        hsyncEnter();
        return true;
    });
    onKeyPress(txtOscillator, [this](const QKeyEvent& key) {
        if (!isEnterKey(key))
            return false;
        oscillatorEnter();
        return true;
    });
}

void frmCalculator::Form_Load()
{
    frmTabs[1]->move(frmTabs[0]->pos());
    frmTabs[0]->setVisible(true);
    frmTabs[1]->setVisible(false);
}

void frmCalculator::hsyncEnter()
{
    float f = toSingle(textValue(ss(txtHsync->text())));
    updateClockOutputs(f);
}

void frmCalculator::oscillatorEnter()
{
    MainWindow* main = app_.mainWindow();
    if (!main)
        return;
    float f = oscToPFDfreq(*main, *this) / 1000.0f;
    updateClockOutputs(f);
}

void frmCalculator::cmdUpdate_Click()
{
    if (txtOscillator->isEnabled()) {
        oscillatorEnter();
        return;
    }
    if (MainWindow* main = app_.mainWindow())
        main->txtHsync->setText(txtHsync->text());
    hsyncEnter();
}

QWidget* frmCalculator::clockTarget(ClockTarget target) const
{
    DevicePanel* u1 = app_.mainWindow() ? app_.mainWindow()->inPanel() : nullptr;
    switch (target) {
    case ClockTarget::PhaseDetectorUnits: return lblPhaseDetectorUnits;
    case ClockTarget::PhaseDetector: return txtPhaseDetector;
    case ClockTarget::FUNC: return lblFUNC;
    case ClockTarget::ClockOutput: return lblClockOutput;
    case ClockTarget::MainClockOutput: return u1 ? u1->lblClockOutput : nullptr;
    case ClockTarget::DPAdelay: return lblDPAdelay;
    case ClockTarget::MainDPAdelay: return u1 ? u1->lblDPAdelay : nullptr;
    case ClockTarget::DPAdelayTotal: return lblDPAdelayTotal;
    case ClockTarget::CLK_pn: return lblCLK_pn;
    case ClockTarget::CLK: return lblCLK;
    case ClockTarget::CLK_2: return lblCLK_2;
    case ClockTarget::CLK_2pn: return lblCLK_2pn;
    }
    return nullptr;
}

void frmCalculator::updateClockOutputs(float& f)
{
    MainWindow* main = app_.mainWindow();
    if (!main)
        return;
    DevicePanel& u1 = *main->inPanel();
    ClockInputs in;
    in.f = f;
    in.horizTotal = decimalTextValue(ss(u1.txtHorizTotal->text()));
    in.psdOption = u1.obPSD->selectedIndex();
    in.dpaOption = u1.obDPA->selectedIndex();
    in.dpaOffset = hexTextValue(ss(u1.txtDPAoffset->text()));
    in.outSclDivisor = getOutSclDivisor(*main);

    const ClockResult result = computeClockOutputs(in);
    for (const ClockWrite& w : result.writes) {
        QWidget* target = clockTarget(w.target);
        if (auto* lb = qobject_cast<QLabel*>(target))
            lb->setText(qs(w.text));
        else if (auto* e = qobject_cast<QLineEdit*>(target))
            e->setText(qs(w.text));
        if (!target)
            continue;
        // The main window's figures sit in a narrow place: their tooltip
        // holds the whole text, and the cause when there is one.
        const bool onMainWindow = w.target == ClockTarget::MainClockOutput || w.target == ClockTarget::MainDPAdelay;
        if (onMainWindow)
            target->setToolTip(qs(w.text).trimmed() + (w.cause.empty() ? QString() : QLatin1Char('\n') + qs(w.cause)));
        else
            target->setToolTip(qs(w.cause));
    }
}

void frmCalculator::cmd_Calculate_Click()
{
    auto number = [](QLineEdit* b) { return textValue(ss(b->text())); };
    const LoopFilterResult r = computeLoopFilter(
        {number(txt_PFD), number(txt_R), number(txt_C1), number(txt_C2), number(txt_N), number(txt_AKv),
         number(txt_Kd)});
    QLabel* const labels[] = {lbl_fzero, lbl_fp2, lbl_fn, lbl_fin_fzero, lbl_fn_fzero, lbl_zeta};
    for (int i = 0; i < LoopFilterResult::kFigureCount; ++i) {
        const std::string caption = r.caption(i);
        if (caption.empty())
            break;  // after the figure that could not be computed
        labels[i]->setText(qs(caption));
        labels[i]->setToolTip(i == r.computed ? qs(r.cause) : QString());
    }
}

void frmCalculator::cmdMode_Click()
{
    frmVideoModes dialog(app_, this);
    app_.dialogs().showModal(&dialog);
}

void frmCalculator::cmdClose_Click()
{
    hide();
}

void frmCalculator::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cmdClose_Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace zvx
