#include "mainwindow/DevicePanel.h"

#include "device/NumberText.h"
#include "device/RegisterCodecs.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/Spinner.h"
#include "mainwindow/Steppers.h"
#include "mainwindow/Twips.h"
#include "transport/I2cBus.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace zvx {

namespace {

constexpr std::uint8_t kPllReset = 0x50;
constexpr std::uint8_t kDpaReset = 0x0A;

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

int hexValue(const QLineEdit* box) { return hexTextInt16(ss(box->text())); }
int decimalValue(const QLineEdit* box) { return decimalTextInt16(ss(box->text())); }

} // namespace

DevicePanel::DevicePanel(Lab& app, Device device, QWidget* parent)
    : QFrame(parent), app_(app), device_(device)
{
    setObjectName(QStringLiteral("frmTabs_%1").arg(isU1() ? 0 : 1));
    buildControls();
    wireCommands();
    wireEditing();
    wireSteppers();
}

// ---------------------------------------------------------------- layout

void DevicePanel::buildControls()
{
    const QString io = infix();
    auto name = [&](const char* base) { return QString::fromLatin1(base).arg(io); };

    resize(twips(8175), twips(4485));

    auto frame = [&](const QString& caption, int l, int t, int w, int h) {
        auto* f = new QGroupBox(caption, this);
        place(f, l, t, w, h);
        return f;
    };
    auto text = [&](QWidget* parent, const QString& objectName, int l, int t, int w) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(objectName);
        place(e, l, t, w, 285);
        return e;
    };
    auto label = [&](QWidget* parent, const QString& caption, int l, int t, int w, int h = 255) {
        auto* lb = new QLabel(caption, parent);
        place(lb, l, t, w, h);
        return lb;
    };
    auto valueLabel = [&](QWidget* parent, const QString& objectName, int l, int t, int w) {
        auto* lb = label(parent, QStringLiteral("00"), l, t, w, 285);
        lb->setObjectName(objectName);
        lb->setProperty("valueLabel", true);
        lb->setAlignment(Qt::AlignCenter);
        return lb;
    };
    auto button = [&](QWidget* parent, const QString& objectName, const QString& caption,
                      int l, int t, int w, int h = 285) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(objectName);
        place(b, l, t, w, h);
        return b;
    };
    auto check = [&](QWidget* parent, const QString& objectName, const QString& caption,
                     int l, int t, int w) {
        auto* c = new QCheckBox(caption, parent);
        c->setObjectName(objectName);
        place(c, l, t, w, 255);
        return c;
    };
    auto options = [&](QWidget* parent, const QString& baseName,
                       std::initializer_list<std::tuple<int, const char*, int, int, int>> items) {
        auto* g = new OptionGroup(this);
        for (auto [index, caption, l, t, w] : items) {
            auto* r = new QRadioButton(QString::fromLatin1(caption), parent);
            r->setObjectName(QStringLiteral("%1_%2").arg(baseName).arg(index));
            place(r, l, t, w, 255);
            g->add(index, r);
        }
        return g;
    };
    auto spinner = [&](QWidget* parent, const QString& objectName, int l, int t) {
        auto* s = new Spinner(parent);
        s->setObjectName(objectName);
        place(s, l, t, 255, 345);
        return s;
    };

    // Input Control (0): one check box per bit, index = bit number.
    {
        auto* f = frame(QStringLiteral("Input Control (0)"), 120, 240, 2475, 1515);
        frameOf_[reg::InputCntl] = f;
        static const char* captions[8] = {"PDen", "PD-Pol", "Ref-Pol", "Fbk-Pol",
                                          "Fbk-Sel", "Func-Sel", "EnPLS", "EnDLS"};
        for (int i = 0; i < 8; ++i)
            ckInput[i] = check(f, name("ck%1_Input_") + QString::number(i), QString::fromLatin1(captions[i]),
                               i < 4 ? 120 : 1260, 210 + (i % 4) * 230, 1100);
        txtInputCntl = text(f, name("txt%1_InputCntl"), 120, 1180, 600);
        cmdInputCntl = button(f, name("cmd%1_InputCntl"), QStringLiteral("write"), 1440, 1180, 855);
    }
    // Output Control (6): six enables and the output scaler.
    {
        auto* f = frame(QStringLiteral("Output Control (6)"), 2670, 240, 2895, 1515);
        frameOf_[reg::OutputCntl] = f;
        static const char* captions[6] = {"OE_Pck", "OE_Tck", "OE_P2", "OE_T2", "OE_F", "Ck2_Inv"};
        for (int i = 0; i < 6; ++i)
            ckOutput[i] = check(f, name("ck%1_Output_") + QString::number(i), QString::fromLatin1(captions[i]),
                                i < 3 ? 120 : 1080, 240 + (i % 3) * 255, 960);
        label(f, QStringLiteral("Out_Scl"), 2100, 180, 720);
        obOutScl = options(f, name("ob%1_OutScl"),
                           {{0, "1", 2100, 420, 700}, {1, "2", 2100, 660, 700},
                            {2, "4", 2100, 900, 700}, {3, "8", 2100, 1140, 700}});
        txtOutputCntl = text(f, name("txt%1_OutputCntl"), 120, 1170, 600);
        cmdOutputCntl = button(f, name("cmd%1_OutputCntl"), QStringLiteral("write"), 1080, 1140, 855);
    }
    // FdBk Div (3,2): the 12-bit feedback divider and its decimal total.
    {
        auto* f = frame(QStringLiteral("FdBk Div (3,2)"), 5640, 240, 2385, 1155);
        frameOf_[reg::FdBk0] = frameOf_[reg::FdBk1] = f;
        txtFdBk1 = text(f, name("txt%1_FdBk1"), 120, 270, 300);
        txtFdBk0 = text(f, name("txt%1_FdBk0"), 450, 270, 450);
        udFdBkDiv = spinner(f, name("ud%1_FdBkDiv"), 930, 240);
        cmdFdbkDivUp = button(f, name("cmd%1_FdbkDivUp"), QStringLiteral("up"), 1230, 240, 450, 255);
        cmdFdbkDivDn = button(f, name("cmd%1_FdbkDivDn"), QStringLiteral("dn"), 1230, 510, 450, 255);
        cmdFdBkDiv = button(f, name("cmd%1_FdBkDiv"), QStringLiteral("write"), 1740, 240, 555);
        label(f, QStringLiteral("DB PLL"), 1740, 600, 600);
        txtHorizTotal = text(f, name("txt%1_HorizTotal"), 120, 780, 600);
        label(f, QStringLiteral("Total Pixels/Line"), 780, 810, 1500);
    }
    // Loop Control (1): PSD option buttons and the PFD field.
    {
        auto* f = frame(QStringLiteral("Loop Control (1)"), 120, 2010, 2175, 1455);
        frameOf_[reg::LoopCntl] = f;
        label(f, QStringLiteral("PSD"), 120, 240, 450);
        obPSD = options(f, name("ob%1_PSD"),
                        {{0, "2", 600, 240, 600}, {1, "4", 600, 480, 600},
                         {2, "8", 600, 720, 600}, {3, "16", 600, 960, 600}});
        label(f, QStringLiteral("PFD"), 1260, 240, 450);
        txtPFD = text(f, name("txt%1_PFD"), 1260, 480, 360);
        udPFD = spinner(f, name("ud%1_PFD"), 1650, 450);
        lblLoopCntl = valueLabel(f, name("lbl%1_LoopCntl"), 1260, 840, 450);
        cmdLoopCntl = button(f, name("cmd%1_LoopCntl"), QStringLiteral("write"), 1260, 1110, 800);
        label(f, QStringLiteral("DB PLL"), 120, 1200, 700);
    }
    // DPA Cntl (5): resolution code; there is no button for code 2.
    {
        auto* f = frame(QStringLiteral("DPA Cntl (5)"), 2370, 2010, 2055, 1095);
        frameOf_[reg::DPAcntl] = f;
        obDPA = options(f, name("ob%1DPA"),
                        {{0, "16", 120, 240, 700}, {1, "32", 120, 480, 700}, {3, "64", 120, 720, 700}});
        txtDPAcntl = text(f, name("txt%1_DPAcntl"), 900, 240, 500);
        label(f, QStringLiteral("DB DPA"), 1440, 270, 600);
        cmdDPAcntl = button(f, name("cmd%1_DPAcntl"), QStringLiteral("write"), 900, 690, 855);
    }
    // DPA Offset (4): offset field and the loop-filter select bit.
    {
        auto* f = frame(QStringLiteral("DPA Offset (4)"), 4500, 2010, 1755, 1095);
        frameOf_[reg::DPAoffset] = f;
        txtDPAoffset = text(f, name("txt%1_DPAoffset"), 120, 240, 450);
        udDPAoffset = spinner(f, name("ud%1_DPAoffset"), 570, 210);
        lblDPAoffset = valueLabel(f, name("lbl%1_DPAoffset"), 1020, 240, 450);
        ckExtFilter = check(f, name("ck%1_ExtFilter"), QStringLiteral("Int-Filter (7)"), 120, 570, 1560);
        cmdDPAoffset = button(f, name("cmd%1_DPAoffset"), QStringLiteral("write"), 840, 810, 800, 255);
    }
    // Osc Div (7): oscillator divider (decimal, code + 2) and input select.
    {
        auto* f = frame(QStringLiteral("Osc Div (7)"), 6330, 2010, 1695, 1095);
        frameOf_[reg::OscDiv] = f;
        txtOscDiv = text(f, name("txt%1_OscDiv"), 120, 240, 450);
        udOscDiv = spinner(f, name("ud%1_OscDiv"), 570, 210);
        lblOscDiv = valueLabel(f, name("lbl%1_OscDiv"), 1020, 240, 450);
        ckOscDiv = check(f, name("ck%1_OscDiv"), QStringLiteral("In-Sel (7)"), 120, 570, 1500);
        cmdOscDiv = button(f, name("cmd%1_OscDiv"), QStringLiteral("write"), 840, 810, 800, 255);
    }
    // RESET (8): the reset command byte.
    {
        auto* f = frame(QStringLiteral("RESET (8)"), 2700, 3240, 1515, 1035);
        frameOf_[reg::Reset] = f;
        obRESET = options(f, name("ob%1RESET"),
                          {{0, "PLL", 120, 240, 750}, {1, "DPA", 120, 480, 750}, {2, "Both", 120, 720, 750}});
        txtRESET = text(f, name("txt%1_RESET"), 900, 240, 450);
        cmdRESET = button(f, name("cmd%1_RESET"), QStringLiteral("write"), 900, 660, 500);
    }
    // Lock Status (12).
    {
        auto* f = frame(QStringLiteral("Lock Status (12)"), 120, 3540, 2475, 735);
        label(f, QStringLiteral("PLL"), 120, 330, 360);
        lblPLLstatus = label(f, QString(), 480, 300, 420, 285);
        lblPLLstatus->setObjectName(name("lbl%1_PLLstatus"));
        label(f, QStringLiteral("DPA"), 1020, 330, 360);
        lblDPAstatus = label(f, QString(), 1380, 300, 420, 285);
        lblDPAstatus->setObjectName(name("lbl%1_DPAstatus"));
        cmdLockStatusRead = button(f, name("cmd%1_LockStatusRead"), QStringLiteral("Read"), 1860, 300, 500);
    }

    auto* device = label(this, isU1() ? QStringLiteral("Device U1") : QStringLiteral("Device U4"),
                         5700, 1500, 2300, 375);
    QFont big = device->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    device->setFont(big);

    label(this, QStringLiteral("Chip"), 4380, 3270, 420);
    label(this, QStringLiteral("Revision"), 4800, 3270, 780);
    label(this, QStringLiteral("="), 5580, 3270, 150);
    lblChipRev = valueLabel(this, name("lbl%1_ChipRev"), 5760, 3240, 450);
    label(this, QStringLiteral("Chip Ver(10):"), 4380, 3600, 1300);
    lblChipVer = valueLabel(this, name("lbl%1_ChipVer"), 5760, 3570, 450);

    cmdReadAll = button(this, name("cmd%1_ReadAll"), QStringLiteral("Read All"), 6240, 3750, 915, 405);
    cmdWriteAll = button(this, name("cmd%1_WriteAll"), QStringLiteral("Write All"), 7230, 3750, 915, 405);

    if (isU1()) {
        label(this, QStringLiteral("Clock Output"), 6330, 3180, 1000);
        lblClockOutput = label(this, QString(), 7350, 3180, 800);
        lblClockOutput->setObjectName(QStringLiteral("lblin_ClockOutput"));
        lblDPAdelayLabel = label(this, QStringLiteral("   DPA Delay"), 6330, 3450, 1000);
        lblDPAdelayLabel->setObjectName(QStringLiteral("lblin_DPAdelayLabel"));
        lblDPAdelay = label(this, QString(), 7350, 3450, 800);
        lblDPAdelay->setObjectName(QStringLiteral("lblin_DPAdelay"));
        txtDelay = text(this, QStringLiteral("txt_Delay"), 4380, 3960, 600);
        txtDelay->setText(QStringLiteral("10"));
        txtDelay->setVisible(false);
        lblDelay = label(this, QStringLiteral("Delay"), 5040, 3990, 600);
        lblDelay->setObjectName(QStringLiteral("lblDelay"));
        lblDelay->setVisible(false);
    }

    // Initial states: PSD "2" and Out_Scl "1" selected, no DPA or RESET
    // option, RESET text one blank, status labels red boxes.
    obPSD->select(0);
    obOutScl->select(0);
    txtRESET->setText(QStringLiteral(" "));
    setStatusColor(lblPLLstatus, app_.settings.unlockedColor);
    setStatusColor(lblDPAstatus, app_.settings.unlockedColor);

    // U1 uses the default colours; U4 draws in yellow on black.
    QString sheet = QStringLiteral("QLabel[valueLabel=\"true\"] { color: red; background: white; }");
    if (!isU1()) {
        // Yellow text and frames on the black panel; only the text colour is
        // set on check boxes and option buttons, so their indicators stay white.
        sheet += QStringLiteral(
            " QLabel, QCheckBox, QRadioButton { color: #FFFF00; }"
            " QGroupBox { border: 1px solid #FFFF00; margin-top: 6px; }"
            " QGroupBox::title { subcontrol-origin: margin; left: 6px; color: #FFFF00; }"
            " QLabel[valueLabel=\"true\"] { color: red; background: white; }");
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::black);
        p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
        setPalette(p);
        // The spinner arrows keep the usual colours: black on black they
        // could not be seen, let alone clicked.
        for (Spinner* s : {udFdBkDiv, udPFD, udDPAoffset, udOscDiv}) {
            s->setPalette(QApplication::palette());
            s->setAutoFillBackground(true);
        }
    }
    // Frames holding edits not yet written to the chip: a tint on the frame
    // only, so every caption, text and value stays as it is.
    sheet += isU1() ? QStringLiteral(
                          " QGroupBox[unwritten=\"true\"] { background: #FFF4D0; border: 1px solid #E0A000;"
                          " border-radius: 3px; margin-top: 6px; }"
                          " QGroupBox[unwritten=\"true\"]::title { subcontrol-origin: margin; left: 6px; }")
                    : QStringLiteral(" QGroupBox[unwritten=\"true\"] { border: 2px solid #FF9900; }");
    setStyleSheet(sheet);
    // The status labels colour themselves through their own sheet.
    setStatusColor(lblPLLstatus, app_.settings.unlockedColor);
    setStatusColor(lblDPAstatus, app_.settings.unlockedColor);
}

std::array<QPushButton*, 7> DevicePanel::registerWriteButtons() const
{
    return {cmdInputCntl, cmdLoopCntl, cmdFdBkDiv, cmdDPAoffset, cmdDPAcntl, cmdOutputCntl, cmdOscDiv};
}

void DevicePanel::setStatusColor(QLabel* label, std::uint32_t color)
{
    // Colours are kept as 0x00BBGGRR, the form the lock tests compare.
    label->setProperty("backColor", static_cast<uint>(color));
    const QColor c(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    label->setStyleSheet(QStringLiteral("background: %1; border: 1px solid gray;").arg(c.name()));
}

// ---------------------------------------------------------------- plumbing

ChipDevice& DevicePanel::chip() { return app_.device(device_); }

std::int16_t DevicePanel::writeAddress() const
{
    return isU1() ? app_.addresses.U1writeAddress : app_.addresses.U4writeAddress;
}

std::int16_t DevicePanel::readAddress() const
{
    return isU1() ? app_.addresses.U1readAddress : app_.addresses.U4readAddress;
}

bool DevicePanel::revA() const { return isU1() ? app_.settings.inRevA : app_.settings.outRevA; }

void DevicePanel::calculatorUpdate()
{
    if (isU1() && app_.links.calculatorUpdate)
        app_.links.calculatorUpdate();
}

void DevicePanel::busy(QPushButton* button, const std::function<void()>& command)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    button->setEnabled(false);
    command();
    button->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void DevicePanel::storeOrWrite(bool multiWriteFlag, int reg, int value)
{
    if (multiWriteFlag)
        app_.registerImage[reg] = static_cast<std::int16_t>(value);
    else
        chip().writeRegister(reg, static_cast<std::int16_t>(value));
}

void DevicePanel::wireCommands()
{
    connect(cmdInputCntl, &QPushButton::clicked, this, [this] { busy(cmdInputCntl, [this] { cmdWriteInputCntl(false); }); });
    connect(cmdLoopCntl, &QPushButton::clicked, this, [this] { busy(cmdLoopCntl, [this] { cmdWriteLoopCntl(false); }); });
    connect(cmdFdBkDiv, &QPushButton::clicked, this, [this] { busy(cmdFdBkDiv, [this] { cmdWriteFdBkDiv(false); }); });
    connect(cmdDPAoffset, &QPushButton::clicked, this, [this] { busy(cmdDPAoffset, [this] { cmdWriteDPAoffset(false); }); });
    connect(cmdDPAcntl, &QPushButton::clicked, this, [this] { busy(cmdDPAcntl, [this] { cmdWriteDPAcntl(false); }); });
    connect(cmdOutputCntl, &QPushButton::clicked, this, [this] { busy(cmdOutputCntl, [this] { cmdWriteOutputCntl(false); }); });
    connect(cmdOscDiv, &QPushButton::clicked, this, [this] { busy(cmdOscDiv, [this] { cmdWriteOscDiv(false); }); });
    connect(cmdRESET, &QPushButton::clicked, this, [this] { busy(cmdRESET, [this] { cmdWriteRESET(false); }); });
    connect(cmdReadAll, &QPushButton::clicked, this, [this] { busy(cmdReadAll, [this] { readAll(); }); });
    connect(cmdLockStatusRead, &QPushButton::clicked, this, [this] { busy(cmdLockStatusRead, [this] { getAndUpdateLockStatus(); }); });
    connect(cmdWriteAll, &QPushButton::clicked, this, [this] { busy(cmdWriteAll, [this] { writeAll(); }); });

    // The DPA and RESET options set their hex text to the code and, with
    // automatic write on, write the register at once.
    obDPA->onClick([this](int index) {
        markEdited(reg::DPAcntl);
        txtDPAcntl->setText(qs(dpaCntlTextForOption(index)));
        autoWriteRegister(reg::DPAcntl);
    });
    obRESET->onClick([this](int index) {
        markEdited(reg::Reset);
        const std::string_view code = resetText(static_cast<ResetOption>(index));
        txtRESET->setText(QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size())));
        autoWriteRegister(reg::Reset);
    });
}

// ---------------------------------------------------------------- editing rules

namespace {

// A panel box as the steppers see it. QLineEdit::setText raises the box's
// change handling only when the text changes, and leaves the caret at the end.
class LineEditBox final : public StepperBox {
public:
    explicit LineEditBox(QLineEdit* box) : box_(box) {}
    QString text() const override { return box_->text(); }
    void setText(const QString& text) override { box_->setText(text); }

private:
    QLineEdit* box_;
};

} // namespace

void DevicePanel::wireEditing()
{
    AppSettings& settings = app_.settings;

    // Register 0: a click on a bit box composes the hex text, and the hex
    // text is spread back to the boxes (their clicks then do nothing).
    for (QCheckBox* box : ckInput) {
        onCheckChange(box, [this, &settings] {
            if (settings.updatingControls)
                return;
            markEdited(reg::InputCntl);
            int value = 0;
            for (int i = 0; i < 8; ++i)
                if (ckInput[i]->isChecked())
                    value += 1 << i;
            txtInputCntl->setText(qs(plainHex(value)));
            autoWriteRegister(reg::InputCntl);
        });
    }
    onLimitedTextChange(txtInputCntl, 2, [this] {
        markEdited(reg::InputCntl);
        spreadInputCntlText();
    });
    writeOnEnter(txtInputCntl, &DevicePanel::cmdWriteInputCntl);

    // Register 1: the PSD buttons write; the PFD text waits for Enter or a step.
    obPSD->onClick([this](int) {
        markEdited(reg::LoopCntl);
        autoWriteRegister(reg::LoopCntl);
        calculatorUpdate();
    });
    onLimitedTextChange(txtPFD, 1, [this] { markEdited(reg::LoopCntl); });
    writeOnEnter(txtPFD, &DevicePanel::cmdWriteLoopCntl);

    // Registers 2 and 3: the divider boxes feed the total unless the user is
    // typing the total, which feeds the divider boxes.
    for (auto [box, limit] : {std::pair{txtFdBk0, 2}, std::pair{txtFdBk1, 1}}) {
        onLimitedTextChange(box, limit, [this, &settings] {
            markEdited(reg::FdBk0);
            if (!settings.typingHorizTotal)
                showHorizTotal();
        });
        onKeyPress(box, [this, &settings](const QKeyEvent& key) {
            settings.typingHorizTotal = false;
            return isEnterKey(key) && enterWrites(&DevicePanel::cmdWriteFdBkDiv);
        });
    }
    onLimitedTextChange(txtHorizTotal, 4, [this] {
        markEdited(reg::FdBk0);
        LineEditBox total(txtHorizTotal), low(txtFdBk0), high(txtFdBk1);
        horizTotal_textToRegisters(total, low, high);
    });
    onKeyPress(txtHorizTotal, [this, &settings](const QKeyEvent& key) {
        settings.typingHorizTotal = true;
        return isEnterKey(key) && enterWrites(&DevicePanel::cmdWriteFdBkDiv);
    });

    // Register 4: the offset text waits; the filter-select box writes.
    onLimitedTextChange(txtDPAoffset, 2, [this] { markEdited(reg::DPAoffset); });
    writeOnEnter(txtDPAoffset, &DevicePanel::cmdWriteDPAoffset);
    onCheckChange(ckExtFilter, [this] {
        markEdited(reg::DPAoffset);
        if (isU1())
            applyInternalFilterValues(ckExtFilter->isChecked());
        autoWriteRegister(reg::DPAoffset);
    });

    // Register 5: a typed code selects its button, whose click writes.
    onLimitedTextChange(txtDPAcntl, 3, [this] {
        markEdited(reg::DPAcntl);
        showDPAcntl(hexValue(txtDPAcntl));
    });
    writeOnEnter(txtDPAcntl, &DevicePanel::cmdWriteDPAcntl);

    // Register 6: the enables and the output scaler compose the text, which
    // is spread back to them. The U1 scaler also feeds the calculator.
    for (QCheckBox* box : ckOutput) {
        onCheckChange(box, [this, &settings] {
            if (settings.updatingControls)
                return;
            markEdited(reg::OutputCntl);
            syncOutputCntl();
        });
    }
    obOutScl->onClick([this, &settings](int) {
        if (!settings.updatingControls) {
            markEdited(reg::OutputCntl);
            syncOutputCntl();
        }
        calculatorUpdate();
    });
    onLimitedTextChange(txtOutputCntl, 2, [this] {
        markEdited(reg::OutputCntl);
        spreadOutputCntlText();
    });
    writeOnEnter(txtOutputCntl, &DevicePanel::cmdWriteOutputCntl);

    // Register 7: the decimal divider text waits; the input select writes.
    onLimitedTextChange(txtOscDiv, 3, [this] { markEdited(reg::OscDiv); });
    writeOnEnter(txtOscDiv, &DevicePanel::cmdWriteOscDiv);
    onCheckChange(ckOscDiv, [this] { ckOscDiv_Click(); });

    // Register 8: a typed reset code selects its button, whose click sends it.
    onLimitedTextChange(txtRESET, 2, [this] {
        markEdited(reg::Reset);
        switch (hexValue(txtRESET)) {
        case kPllResetByte: obRESET->select(int(ResetOption::Pll)); break;
        case kDpaResetByte: obRESET->select(int(ResetOption::Dpa)); break;
        case kBothResetByte: obRESET->select(int(ResetOption::Both)); break;
        default: obRESET->clear(); break;
        }
    });
    writeOnEnter(txtRESET, &DevicePanel::cmdWriteRESET);

    // The hidden bus delay box (U1 panel).
    if (txtDelay) {
        onTextChange(txtDelay, [this] {
            app_.bus().lines.delayCount = toInt32(decimalTextValue(ss(txtDelay->text())));
        });
    }
}

void DevicePanel::ckOscDiv_Click()
{
    markEdited(reg::OscDiv);
    if (isU1() && app_.links.setCalculatorInputMode)
        app_.links.setCalculatorInputMode();
    autoWriteRegister(reg::OscDiv);
}

bool DevicePanel::enterWrites(void (DevicePanel::*write)(bool))
{
    // With automatic write off the window leaves Enter alone; the register's
    // "write" button writes.
    if (!app_.settings.autoWrite)
        return false;
    (this->*write)(false);
    return true;
}

void DevicePanel::writeOnEnter(QLineEdit* box, void (DevicePanel::*write)(bool))
{
    onKeyPress(box, [this, write](const QKeyEvent& key) {
        return isEnterKey(key) && enterWrites(write);
    });
}

void DevicePanel::spreadInputCntlText()
{
    AppSettings& settings = app_.settings;
    settings.updatingControls = true;
    showInputCntl(hexValue(txtInputCntl));
    settings.updatingControls = false;
}

void DevicePanel::spreadOutputCntlText()
{
    AppSettings& settings = app_.settings;
    settings.updatingControls = true;
    showOutputCntl(hexValue(txtOutputCntl));
    settings.updatingControls = false;
}

void DevicePanel::applyInternalFilterValues(bool internal)
{
    MainWindow* w = app_.mainWindow();
    if (!w)
        return;
    if (internal) {
        savedC1_ = w->txtC1->text();
        savedC2_ = w->txtC2->text();
        savedR_ = w->txtR->text();
        w->txtC1->setText(QStringLiteral("10"));
        w->txtC2->setText(QStringLiteral("200"));
        w->txtR->setText(QStringLiteral("10"));
    } else {
        w->txtC1->setText(savedC1_);
        w->txtC2->setText(savedC2_);
        w->txtR->setText(savedR_);
    }
    for (QLineEdit* box : {w->txtC1, w->txtC2, w->txtR})
        box->setEnabled(!internal);
}

void DevicePanel::autoWriteRegister(int reg)
{
    if (!app_.settings.autoWrite)
        return;
    if (refreshing_)
        pendingWrites_.set(std::size_t(reg));
    else
        runWrite(reg);
}

void DevicePanel::runWrite(int reg)
{
    switch (reg) {
    case reg::InputCntl: cmdWriteInputCntl(false); break;
    case reg::LoopCntl: cmdWriteLoopCntl(false); break;
    case reg::FdBk0:
    case reg::FdBk1: cmdWriteFdBkDiv(false); break;
    case reg::DPAoffset: cmdWriteDPAoffset(false); break;
    case reg::DPAcntl: cmdWriteDPAcntl(false); break;
    case reg::OutputCntl: cmdWriteOutputCntl(false); break;
    case reg::OscDiv: cmdWriteOscDiv(false); break;
    case reg::Reset: cmdWriteRESET(false); break;
    default: break;
    }
}

// ---------------------------------------------------------------- steppers

void DevicePanel::wireSteppers()
{
    const bool& autoWrite = app_.settings.autoWrite;
    auto stepper = [this, &autoWrite](Spinner* spinner, void (DevicePanel::*up)(), void (DevicePanel::*down)(),
                                      void (DevicePanel::*write)(bool)) {
        connect(spinner, &Spinner::upClicked, this, [this, &autoWrite, up, write] {
            (this->*up)();
            if (autoWrite)
                (this->*write)(false);
        });
        connect(spinner, &Spinner::downClicked, this, [this, &autoWrite, down, write] {
            (this->*down)();
            if (autoWrite)
                (this->*write)(false);
        });
    };
    stepper(udPFD, &DevicePanel::pfdUp, &DevicePanel::pfdDown, &DevicePanel::cmdWriteLoopCntl);
    stepper(udDPAoffset, &DevicePanel::dpaOffsetUp, &DevicePanel::dpaOffsetDown, &DevicePanel::cmdWriteDPAoffset);
    stepper(udOscDiv, &DevicePanel::oscDivUp, &DevicePanel::oscDivDown, &DevicePanel::cmdWriteOscDiv);
    stepper(udFdBkDiv, &DevicePanel::fdBkDivUp, &DevicePanel::fdBkDivDown, &DevicePanel::cmdWriteFdBkDiv);

    // "up" and "dn": a left click steps by 8 at mouse-down; any other button
    // runs the auto-repeat until it is released. The write comes at mouse-up.
    onMouseDown(cmdFdbkDivUp, [this](Qt::MouseButton b) { b == Qt::LeftButton ? turboUp() : turboRepeatUp(); });
    onMouseDown(cmdFdbkDivDn, [this](Qt::MouseButton b) { b == Qt::LeftButton ? turboDn() : turboRepeatDn(); });
    for (QPushButton* b : {cmdFdbkDivUp, cmdFdbkDivDn}) {
        onMouseUp(b, [this, &autoWrite](Qt::MouseButton) {
            app_.settings.turboKeepGoing = false;
            if (autoWrite)
                cmdWriteFdBkDiv(false);
        });
    }
}

void DevicePanel::pfdUp()
{
    LineEditBox box(txtPFD);
    upClicker(box, QStringLiteral("7"));
}

void DevicePanel::pfdDown()
{
    LineEditBox box(txtPFD);
    downClicker(box, QStringLiteral("7"));
}

void DevicePanel::dpaOffsetUp()
{
    LineEditBox box(txtDPAoffset);
    upClicker(box, QStringLiteral("3F"));
}

void DevicePanel::dpaOffsetDown()
{
    LineEditBox box(txtDPAoffset);
    downClicker(box, QStringLiteral("3F"));
}

void DevicePanel::oscDivUp()
{
    LineEditBox box(txtOscDiv);
    oscDivStepUp(box);
}

void DevicePanel::oscDivDown()
{
    LineEditBox box(txtOscDiv);
    oscDivStepDown(box);
}

void DevicePanel::fdBkDivUp()
{
    LineEditBox total(txtHorizTotal), low(txtFdBk0), high(txtFdBk1);
    upClicker2(total, low, QStringLiteral("FF"), high, QStringLiteral("F"), 1);
}

void DevicePanel::fdBkDivDown()
{
    LineEditBox total(txtHorizTotal), low(txtFdBk0), high(txtFdBk1);
    downClicker2(total, low, QStringLiteral("FF"), high, QStringLiteral("F"), 1);
}

void DevicePanel::turboUp()
{
    LineEditBox total(txtHorizTotal);
    zvx::turboUp(total);
}

void DevicePanel::turboDn()
{
    LineEditBox total(txtHorizTotal);
    zvx::turboDn(total);
}

void DevicePanel::turboRepeatUp()
{
    MainWindow* w = app_.mainWindow();
    if (!w || w->turboUpRunning)
        return;
    LineEditBox total(txtHorizTotal);
    // The button looks pressed while the repeat runs (a non-left button does
    // not press it by itself).
    cmdFdbkDivUp->setDown(true);
    ++repeating_;
    zvx::turboRepeatUp(total, app_.settings.turboKeepGoing, w->turboUpRunning, app_.turboPacing());
    --repeating_;
    cmdFdbkDivUp->setDown(false);
}

void DevicePanel::turboRepeatDn()
{
    MainWindow* w = app_.mainWindow();
    if (!w || w->turboDnRunning)
        return;
    LineEditBox total(txtHorizTotal);
    cmdFdbkDivDn->setDown(true);
    ++repeating_;
    zvx::turboRepeatDn(total, app_.settings.turboKeepGoing, w->turboDnRunning, app_.turboPacing());
    --repeating_;
    cmdFdbkDivDn->setDown(false);
}

void DevicePanel::showHorizTotal()
{
    LineEditBox total(txtHorizTotal), low(txtFdBk0), high(txtFdBk1);
    zvx::showHorizTotal(total, low, high);
}

void DevicePanel::hideEvent(QHideEvent* event)
{
    // A panel that goes away (the other chip chosen, the window closed)
    // cannot see the mouse-up that would stop a running auto-repeat.
    if (repeating_)
        app_.settings.turboKeepGoing = false;
    QFrame::hideEvent(event);
}

// ---------------------------------------------------------------- unwritten edits

bool DevicePanel::hasUnwrittenEdits(int reg) const
{
    return reg >= 0 && reg < int(unwritten_.size()) && unwritten_.test(std::size_t(reg == reg::FdBk1 ? reg::FdBk0 : reg));
}

void DevicePanel::markEdited(int reg)
{
    // What Read All spreads over the panel is what the chip holds.
    if (!refreshing_)
        setUnwrittenMarker(reg, true);
}

void DevicePanel::clearEdited(int reg)
{
    setUnwrittenMarker(reg, false);
}

void DevicePanel::setUnwrittenMarker(int reg, bool on)
{
    if (reg == reg::FdBk1)
        reg = reg::FdBk0;
    if (unwritten_.test(std::size_t(reg)) == on)
        return;
    unwritten_.set(std::size_t(reg), on);
    QGroupBox* f = frameOf_[std::size_t(reg)];
    f->setProperty("unwritten", on);
    f->setToolTip(on ? QStringLiteral("Changed here, not yet written to the chip") : QString());
    // A dynamic property takes effect in the style sheet only when re-polished.
    f->style()->unpolish(f);
    f->style()->polish(f);
}

// ---------------------------------------------------------------- write procedures

void DevicePanel::cmdWriteInputCntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::InputCntl, hexValue(txtInputCntl));
    if (multiWriteFlag)
        return;
    clearEdited(reg::InputCntl);
    getAndUpdateLockStatus();
}

int DevicePanel::getLoopCntlFormValue() const
{
    const int psd = obPSD->selectedIndex();
    return composeLoopCntl(hexValue(txtPFD), psd < 0 ? std::nullopt : std::optional<int>(psd));
}

void DevicePanel::cmdWriteLoopCntl(bool multiWriteFlag)
{
    const int value = getLoopCntlFormValue();
    lblLoopCntl->setText(qs(showHexByte(value)));
    storeOrWrite(multiWriteFlag, reg::LoopCntl, value);
    if (multiWriteFlag)
        return;
    clearEdited(reg::LoopCntl);
    chip().writeZeroToPLLreset();
    getAndUpdateLockStatus();
}

void DevicePanel::cmdWriteFdBkDiv(bool multiWriteFlag)
{
    // The total only bounds the divider texts; the texts are what is written.
    // A total above 4095 is pulled back to 4095 (divider 0xFF7, the top the
    // "up" button stops at), one below 8 to 8, so the total box and the
    // divider written agree.
    {
        LineEditBox total(txtHorizTotal), low(txtFdBk0), high(txtFdBk1);
        horizTotal_clampForWrite(total, low, high);
    }
    const int low = hexValue(txtFdBk0);
    const int high = hexValue(txtFdBk1);
    if (multiWriteFlag) {
        app_.registerImage[reg::FdBk0] = static_cast<std::int16_t>(low);
        app_.registerImage[reg::FdBk1] = static_cast<std::int16_t>(high);
        return;
    }
    chip().writeRegister(reg::FdBk0, static_cast<std::int16_t>(low));
    chip().writeRegister(reg::FdBk1, static_cast<std::int16_t>(high));
    clearEdited(reg::FdBk0);
    chip().writeZeroToPLLreset();
    getAndUpdateLockStatus();
    calculatorUpdate();
}

void DevicePanel::cmdWriteDPAoffset(bool multiWriteFlag)
{
    const int value = composeDPAoffset(hexValue(txtDPAoffset), ckExtFilter->isChecked());
    lblDPAoffset->setText(qs(showHexByte(value)));
    storeOrWrite(multiWriteFlag, reg::DPAoffset, value);
    if (multiWriteFlag)
        return;
    clearEdited(reg::DPAoffset);
    chip().writeZeroToDPAreset();
    getAndUpdateLockStatus();
    calculatorUpdate();
}

void DevicePanel::cmdWriteDPAcntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::DPAcntl, hexValue(txtDPAcntl));
    if (multiWriteFlag)
        return;
    clearEdited(reg::DPAcntl);
    chip().writeZeroToDPAreset();
    getAndUpdateLockStatus();
    calculatorUpdate();
}

void DevicePanel::cmdWriteOutputCntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::OutputCntl, hexValue(txtOutputCntl));
    if (multiWriteFlag)
        return;
    clearEdited(reg::OutputCntl);
    getAndUpdateLockStatus();
}

void DevicePanel::cmdWriteOscDiv(bool multiWriteFlag)
{
    const int value = composeOscDiv(decimalValue(txtOscDiv), ckOscDiv->isChecked());
    lblOscDiv->setText(qs(showHexByte(value)));
    storeOrWrite(multiWriteFlag, reg::OscDiv, value);
    if (multiWriteFlag)
        return;
    clearEdited(reg::OscDiv);
    getAndUpdateLockStatus();
    calculatorUpdate();
}

void DevicePanel::cmdWriteRESET(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::Reset, hexValue(txtRESET));
    if (!multiWriteFlag)
        clearEdited(reg::Reset);
}

// ---------------------------------------------------------------- refresh routines

void DevicePanel::showInputCntl(int value)
{
    const auto bits = decodeInputCntl(value);
    for (int i = 0; i < 8; ++i)
        ckInput[i]->setChecked(bits[i]);
    txtInputCntl->setText(qs(showHexByte(value)));
}

void DevicePanel::showLoopCntl(int value)
{
    obPSD->select(decodePsdIndex(value));
    txtPFD->setText(qs(plainHex(decodePfd(value))));
    lblLoopCntl->setText(qs(showHexByte(value)));
}

void DevicePanel::showFdBk0(int value) { txtFdBk0->setText(qs(showHexByte(value))); }

void DevicePanel::showFdBk1(int value) { txtFdBk1->setText(qs(plainHex(value))); }

void DevicePanel::showDPAoffset(int value)
{
    ckExtFilter->setChecked(decodeFilterSelect(value));
    txtDPAoffset->setText(qs(showHexByte(decodeDpaOffset(value))));
    lblDPAoffset->setText(qs(showHexByte(value)));
}

void DevicePanel::showDPAcntl(int value)
{
    if (const auto option = decodeDpaOption(value))
        obDPA->select(*option);
    else
        obDPA->clear();
    txtDPAcntl->setText(qs(showHexByte(value)));
}

void DevicePanel::showOutputCntl(int value)
{
    const auto bits = decodeOutputEnables(value);
    for (int i = 0; i < 6; ++i)
        ckOutput[i]->setChecked(bits[i]);
    obOutScl->select(decodeOutSclOption(value, revA()));
    txtOutputCntl->setText(qs(showHexByte(value)));
}

void DevicePanel::showOscDiv(int value)
{
    ckOscDiv->setChecked(decodeInputSelect(value));
    txtOscDiv->setText(QString::number(decodeOscDivShown(value)));
    lblOscDiv->setText(qs(showHexByte(value)));
}

void DevicePanel::showRegister(int reg, int value)
{
    switch (reg) {
    case reg::InputCntl: showInputCntl(value); break;
    case reg::LoopCntl: showLoopCntl(value); break;
    case reg::FdBk0: showFdBk0(value); break;
    case reg::FdBk1: showFdBk1(value); break;
    case reg::DPAoffset: showDPAoffset(value); break;
    case reg::DPAcntl: showDPAcntl(value); break;
    case reg::OutputCntl: showOutputCntl(value); break;
    case reg::OscDiv: showOscDiv(value); break;
    case reg::Reset: showReset(value); break;
    default: break;
    }
}

void DevicePanel::showReset(int value) { txtRESET->setText(qs(showHexByte(value))); }

void DevicePanel::showChipVer(int value) { lblChipVer->setText(qs(plainHex(value))); }

void DevicePanel::showLockStatus(int value)
{
    const LockColors colors{app_.settings.lockedColor, app_.settings.unlockedColor};
    setStatusColor(lblDPAstatus, dpaStatusColor(value, colors));
    setStatusColor(lblPLLstatus, pllStatusColor(value, colors));
}

// ---------------------------------------------------------------- device operations

void DevicePanel::getAndUpdateLockStatus()
{
    showLockStatus(chip().readLockStatus());
}

bool DevicePanel::isPLLlocked() const
{
    return lblPLLstatus->property("backColor").toUInt() == app_.settings.lockedColor;
}

bool DevicePanel::isDPAlocked() const
{
    return lblDPAstatus->property("backColor").toUInt() == app_.settings.lockedColor;
}

int DevicePanel::outSclValue() const
{
    const int option = obOutScl->selectedIndex();
    return zvx::outSclValue(option < 0 ? std::nullopt : std::optional<int>(option), revA());
}

void DevicePanel::syncOutputCntl()
{
    std::array<bool, 6> ticked{};
    for (int i = 0; i < 6; ++i)
        ticked[i] = ckOutput[i]->isChecked();
    const int option = obOutScl->selectedIndex();
    const int value = composeOutputCntl(ticked, option < 0 ? std::nullopt : std::optional<int>(option), revA());
    txtOutputCntl->setText(qs(plainHex(value)));
    autoWriteRegister(reg::OutputCntl);
    if (isU1() && app_.links.updateClockOutputLabels)
        app_.links.updateClockOutputLabels();
}

bool DevicePanel::pllRegistersChanged()
{
    return chip().pllRegistersChanged(getLoopCntlFormValue(), hexValue(txtFdBk0), hexValue(txtFdBk1));
}

bool DevicePanel::dpaRegistersChanged()
{
    return chip().dpaRegistersChanged(hexValue(txtDPAcntl));
}

void DevicePanel::writeAll()
{
    if (isU1())
        chip().logHeading("Write All");
    cmdWriteInputCntl(true);
    const bool pllChanged = pllRegistersChanged();
    cmdWriteLoopCntl(true);
    cmdWriteFdBkDiv(true);
    cmdWriteDPAoffset(true);
    const bool dpaChanged = dpaRegistersChanged();
    cmdWriteDPAcntl(true);
    cmdWriteOutputCntl(true);
    cmdWriteOscDiv(true);
    chip().writeAllBus(app_.registerImage, pllChanged, dpaChanged,
                       [this](std::int16_t status) { showLockStatus(status); });
    for (int r = reg::InputCntl; r <= reg::OscDiv; ++r)
        clearEdited(r);
    calculatorUpdate();
}

void DevicePanel::readAll()
{
    if (isU1())
        chip().logHeading("Read All");
    const auto regs = chip().readRegisters0to7();
    for (int k = 0; k < 8; ++k) {
        // Setting a control raises its handler, and with automatic write on
        // a bit control's click writes its register. The fields of one
        // register are set one after another, so such a write waits until
        // the whole byte is shown: it then gives the chip back the byte just
        // read instead of the new bit with the old value of the other fields.
        refreshing_ = true;
        pendingWrites_.reset();
        showRegister(k, regs[k]);
        refreshing_ = false;
        for (int r = 0; r < int(pendingWrites_.size()); ++r)
            if (pendingWrites_.test(std::size_t(r)))
                runWrite(r);
        pendingWrites_.reset();
        if (isU1() && app_.links.rawEditorUpdate)
            app_.links.rawEditorUpdate(k, regs[k]);
    }
    for (int r = reg::InputCntl; r <= reg::OscDiv; ++r)
        clearEdited(r);
    const auto identity = chip().readIdentityBlock();
    showChipVer(identity.version);
    showLockStatus(identity.lockStatus);
    checkChipRevision(true);
}

void DevicePanel::checkChipRevision(bool repeat)
{
    const auto probe = chip().probeRevision();
    // Only the U1 check shows the version it read; U4's label changes on
    // Read All alone.
    if (isU1())
        showChipVer(probe.version);
    if (!probe.revision)
        return;
    bool& flag = isU1() ? app_.settings.inRevA : app_.settings.outRevA;
    if (*probe.revision == ChipRevision::A) {
        lblChipRev->setText(QStringLiteral("A"));
        app_.showRevisionNotice(device_, !repeat || !flag);
        flag = true;
    } else {
        lblChipRev->setText(qs(std::string(revisionLetter(*probe.revision))));
        flag = false;
    }
}

} // namespace zvx
