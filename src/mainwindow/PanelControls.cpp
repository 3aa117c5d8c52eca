#include "mainwindow/PanelControls.h"

#include "mainwindow/Spinner.h"
#include "mainwindow/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <map>
#include <type_traits>

namespace zvx {

namespace {

using C = PanelControls;

enum class Kind {
    Frame,    // a register's frame, caption as title
    Label,    // a caption (or, with a name, a lamp or a figure the program writes)
    Value,    // a whole-byte value label: "00", red on white, centred
    Text,     // a register box
    Button,
    Check,
    Option,   // one button of an option group
    Spinner,
    Title,    // "Device U1" / "Device U4", large and bold
};

// Where a built control goes in PanelControls.
using Fill = void (*)(C&, QWidget*);

template <auto member>
void set(C& c, QWidget* w)
{
    c.*member = static_cast<std::remove_reference_t<decltype(c.*member)>>(w);
}

// Element `index` of an array member: ckInput by bit number.
template <auto member, int index>
void at(C& c, QWidget* w)
{
    using Element = typename std::remove_reference_t<decltype(c.*member)>::value_type;
    (c.*member)[index] = static_cast<Element>(w);
}

// Button `index` (the field's code) of an option group.
template <auto member, int index>
void option(C& c, QWidget* w)
{
    (c.*member)->add(index, static_cast<QRadioButton*>(w));
}

constexpr int kPanel = -1;  // on the panel itself, in no register's frame

struct ControlRow {
    Kind kind;
    int reg;               // the register it belongs to: its frame holds it; for a frame, the frame's register
    const char* name;      // objectName, "%1" standing for In / Out; "" for a plain caption
    const char* caption;
    int left, top, width, height;   // twips, inside the frame
    Fill fill = nullptr;
    bool u1Only = false;
};

// The panel as drawn, in creation order (which is also the keyboard order).
constexpr ControlRow kControls[] = {
    // kind        register       objectName             caption              left   top  width height  member
    {Kind::Frame,  reg::InputCntl, "",                   "Input Control (0)",  120,  240, 2475, 1515},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_0",       "PDen",               120,  210, 1100,  255, at<&C::ckInput, 0>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_1",       "PD-Pol",             120,  440, 1100,  255, at<&C::ckInput, 1>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_2",       "Ref-Pol",            120,  670, 1100,  255, at<&C::ckInput, 2>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_3",       "Fbk-Pol",            120,  900, 1100,  255, at<&C::ckInput, 3>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_4",       "Fbk-Sel",           1260,  210, 1100,  255, at<&C::ckInput, 4>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_5",       "Func-Sel",          1260,  440, 1100,  255, at<&C::ckInput, 5>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_6",       "EnPLS",             1260,  670, 1100,  255, at<&C::ckInput, 6>},
    {Kind::Check,  reg::InputCntl, "ck%1_Input_7",       "EnDLS",             1260,  900, 1100,  255, at<&C::ckInput, 7>},
    {Kind::Text,   reg::InputCntl, "txt%1_InputCntl",    "",                   120, 1180,  600,  285, set<&C::txtInputCntl>},
    {Kind::Button, reg::InputCntl, "cmd%1_InputCntl",    "write",             1440, 1180,  855,  285, set<&C::cmdInputCntl>},

    {Kind::Frame,  reg::OutputCntl, "",                  "Output Control (6)", 2670,  240, 2895, 1515},
    {Kind::Check,  reg::OutputCntl, "ck%1_Output_0",     "OE_Pck",             120,  240,  960,  255, at<&C::ckOutput, 0>},
    {Kind::Check,  reg::OutputCntl, "ck%1_Output_1",     "OE_Tck",             120,  495,  960,  255, at<&C::ckOutput, 1>},
    {Kind::Check,  reg::OutputCntl, "ck%1_Output_2",     "OE_P2",              120,  750,  960,  255, at<&C::ckOutput, 2>},
    {Kind::Check,  reg::OutputCntl, "ck%1_Output_3",     "OE_T2",             1080,  240,  960,  255, at<&C::ckOutput, 3>},
    {Kind::Check,  reg::OutputCntl, "ck%1_Output_4",     "OE_F",              1080,  495,  960,  255, at<&C::ckOutput, 4>},
    {Kind::Check,  reg::OutputCntl, "ck%1_Output_5",     "Ck2_Inv",           1080,  750,  960,  255, at<&C::ckOutput, 5>},
    {Kind::Label,  reg::OutputCntl, "",                  "Out_Scl",           2100,  180,  720,  255},
    {Kind::Option, reg::OutputCntl, "ob%1_OutScl_0",     "1",                 2100,  420,  700,  255, option<&C::obOutScl, 0>},
    {Kind::Option, reg::OutputCntl, "ob%1_OutScl_1",     "2",                 2100,  660,  700,  255, option<&C::obOutScl, 1>},
    {Kind::Option, reg::OutputCntl, "ob%1_OutScl_2",     "4",                 2100,  900,  700,  255, option<&C::obOutScl, 2>},
    {Kind::Option, reg::OutputCntl, "ob%1_OutScl_3",     "8",                 2100, 1140,  700,  255, option<&C::obOutScl, 3>},
    {Kind::Text,   reg::OutputCntl, "txt%1_OutputCntl",  "",                   120, 1170,  600,  285, set<&C::txtOutputCntl>},
    {Kind::Button, reg::OutputCntl, "cmd%1_OutputCntl",  "write",             1080, 1140,  855,  285, set<&C::cmdOutputCntl>},

    {Kind::Frame,  reg::FdBk0, "",                       "FdBk Div (3,2)",    5640,  240, 2385, 1155},
    {Kind::Text,   reg::FdBk0, "txt%1_FdBk1",            "",                   120,  270,  300,  285, set<&C::txtFdBk1>},
    {Kind::Text,   reg::FdBk0, "txt%1_FdBk0",            "",                   450,  270,  450,  285, set<&C::txtFdBk0>},
    {Kind::Spinner, reg::FdBk0, "ud%1_FdBkDiv",          "",                   930,  240,  255,  345, set<&C::udFdBkDiv>},
    {Kind::Button, reg::FdBk0, "cmd%1_FdbkDivUp",        "up",                1230,  240,  450,  255, set<&C::cmdFdbkDivUp>},
    {Kind::Button, reg::FdBk0, "cmd%1_FdbkDivDn",        "dn",                1230,  510,  450,  255, set<&C::cmdFdbkDivDn>},
    {Kind::Button, reg::FdBk0, "cmd%1_FdBkDiv",          "write",             1740,  240,  555,  285, set<&C::cmdFdBkDiv>},
    {Kind::Label,  reg::FdBk0, "",                       "DB PLL",            1740,  600,  600,  255},
    {Kind::Text,   reg::FdBk0, "txt%1_HorizTotal",       "",                   120,  780,  600,  285, set<&C::txtHorizTotal>},
    {Kind::Label,  reg::FdBk0, "",                       "Total Pixels/Line",  780,  810, 1500,  255},

    {Kind::Frame,  reg::LoopCntl, "",                    "Loop Control (1)",   120, 2010, 2175, 1455},
    {Kind::Label,  reg::LoopCntl, "",                    "PSD",                120,  240,  450,  255},
    {Kind::Option, reg::LoopCntl, "ob%1_PSD_0",          "2",                  600,  240,  600,  255, option<&C::obPSD, 0>},
    {Kind::Option, reg::LoopCntl, "ob%1_PSD_1",          "4",                  600,  480,  600,  255, option<&C::obPSD, 1>},
    {Kind::Option, reg::LoopCntl, "ob%1_PSD_2",          "8",                  600,  720,  600,  255, option<&C::obPSD, 2>},
    {Kind::Option, reg::LoopCntl, "ob%1_PSD_3",          "16",                 600,  960,  600,  255, option<&C::obPSD, 3>},
    {Kind::Label,  reg::LoopCntl, "",                    "PFD",               1260,  240,  450,  255},
    {Kind::Text,   reg::LoopCntl, "txt%1_PFD",           "",                  1260,  480,  360,  285, set<&C::txtPFD>},
    {Kind::Spinner, reg::LoopCntl, "ud%1_PFD",           "",                  1650,  450,  255,  345, set<&C::udPFD>},
    {Kind::Value,  reg::LoopCntl, "lbl%1_LoopCntl",      "",                  1260,  840,  450,  285, set<&C::lblLoopCntl>},
    {Kind::Button, reg::LoopCntl, "cmd%1_LoopCntl",      "write",             1260, 1110,  800,  285, set<&C::cmdLoopCntl>},
    {Kind::Label,  reg::LoopCntl, "",                    "DB PLL",             120, 1200,  700,  255},

    // There is no button for DPA code 2.
    {Kind::Frame,  reg::DPAcntl, "",                     "DPA Cntl (5)",      2370, 2010, 2055, 1095},
    {Kind::Option, reg::DPAcntl, "ob%1DPA_0",            "16",                 120,  240,  700,  255, option<&C::obDPA, 0>},
    {Kind::Option, reg::DPAcntl, "ob%1DPA_1",            "32",                 120,  480,  700,  255, option<&C::obDPA, 1>},
    {Kind::Option, reg::DPAcntl, "ob%1DPA_3",            "64",                 120,  720,  700,  255, option<&C::obDPA, 3>},
    {Kind::Text,   reg::DPAcntl, "txt%1_DPAcntl",        "",                   900,  240,  500,  285, set<&C::txtDPAcntl>},
    {Kind::Label,  reg::DPAcntl, "",                     "DB DPA",            1440,  270,  600,  255},
    {Kind::Button, reg::DPAcntl, "cmd%1_DPAcntl",        "write",              900,  690,  855,  285, set<&C::cmdDPAcntl>},

    {Kind::Frame,  reg::DPAoffset, "",                   "DPA Offset (4)",    4500, 2010, 1755, 1095},
    {Kind::Text,   reg::DPAoffset, "txt%1_DPAoffset",    "",                   120,  240,  450,  285, set<&C::txtDPAoffset>},
    {Kind::Spinner, reg::DPAoffset, "ud%1_DPAoffset",    "",                   570,  210,  255,  345, set<&C::udDPAoffset>},
    {Kind::Value,  reg::DPAoffset, "lbl%1_DPAoffset",    "",                  1020,  240,  450,  285, set<&C::lblDPAoffset>},
    {Kind::Check,  reg::DPAoffset, "ck%1_ExtFilter",     "Int-Filter (7)",     120,  570, 1560,  255, set<&C::ckExtFilter>},
    {Kind::Button, reg::DPAoffset, "cmd%1_DPAoffset",    "write",              840,  810,  800,  255, set<&C::cmdDPAoffset>},

    {Kind::Frame,  reg::OscDiv, "",                      "Osc Div (7)",       6330, 2010, 1695, 1095},
    {Kind::Text,   reg::OscDiv, "txt%1_OscDiv",          "",                   120,  240,  450,  285, set<&C::txtOscDiv>},
    {Kind::Spinner, reg::OscDiv, "ud%1_OscDiv",          "",                   570,  210,  255,  345, set<&C::udOscDiv>},
    {Kind::Value,  reg::OscDiv, "lbl%1_OscDiv",          "",                  1020,  240,  450,  285, set<&C::lblOscDiv>},
    {Kind::Check,  reg::OscDiv, "ck%1_OscDiv",           "In-Sel (7)",         120,  570, 1500,  255, set<&C::ckOscDiv>},
    {Kind::Button, reg::OscDiv, "cmd%1_OscDiv",          "write",              840,  810,  800,  255, set<&C::cmdOscDiv>},

    {Kind::Frame,  reg::Reset, "",                       "RESET (8)",         2700, 3240, 1515, 1035},
    {Kind::Option, reg::Reset, "ob%1RESET_0",            "PLL",                120,  240,  750,  255, option<&C::obRESET, 0>},
    {Kind::Option, reg::Reset, "ob%1RESET_1",            "DPA",                120,  480,  750,  255, option<&C::obRESET, 1>},
    {Kind::Option, reg::Reset, "ob%1RESET_2",            "Both",               120,  720,  750,  255, option<&C::obRESET, 2>},
    {Kind::Text,   reg::Reset, "txt%1_RESET",            "",                   900,  240,  450,  285, set<&C::txtRESET>},
    {Kind::Button, reg::Reset, "cmd%1_RESET",            "write",              900,  660,  500,  285, set<&C::cmdRESET>},

    {Kind::Frame,  reg::LockStatus, "",                  "Lock Status (12)",   120, 3540, 2475,  735},
    {Kind::Label,  reg::LockStatus, "",                  "PLL",                120,  330,  360,  255},
    {Kind::Label,  reg::LockStatus, "lbl%1_PLLstatus",   "",                   480,  300,  420,  285, set<&C::lblPLLstatus>},
    {Kind::Label,  reg::LockStatus, "",                  "DPA",               1020,  330,  360,  255},
    {Kind::Label,  reg::LockStatus, "lbl%1_DPAstatus",   "",                  1380,  300,  420,  285, set<&C::lblDPAstatus>},
    {Kind::Button, reg::LockStatus, "cmd%1_LockStatusRead", "Read",           1860,  300,  500,  285, set<&C::cmdLockStatusRead>},

    {Kind::Title,  kPanel, "",                           "",                  5700, 1500, 2300,  375},
    {Kind::Label,  kPanel, "",                           "Chip",              4380, 3270,  420,  255},
    {Kind::Label,  kPanel, "",                           "Revision",          4800, 3270,  780,  255},
    {Kind::Label,  kPanel, "",                           "=",                 5580, 3270,  150,  255},
    {Kind::Value,  kPanel, "lbl%1_ChipRev",              "",                  5760, 3240,  450,  285, set<&C::lblChipRev>},
    {Kind::Label,  kPanel, "",                           "Chip Ver(10):",     4380, 3600, 1300,  255},
    {Kind::Value,  kPanel, "lbl%1_ChipVer",              "",                  5760, 3570,  450,  285, set<&C::lblChipVer>},
    {Kind::Button, kPanel, "cmd%1_ReadAll",              "Read All",          6240, 3750,  915,  405, set<&C::cmdReadAll>},
    {Kind::Button, kPanel, "cmd%1_WriteAll",             "Write All",         7230, 3750,  915,  405, set<&C::cmdWriteAll>},

    // The clock figures the calculator writes, and the hidden bus-delay box.
    {Kind::Label,  kPanel, "",                           "Clock Output",      6330, 3180, 1000,  255, nullptr, true},
    {Kind::Label,  kPanel, "lblin_ClockOutput",          "",                  7350, 3180,  800,  255, set<&C::lblClockOutput>, true},
    {Kind::Label,  kPanel, "lblin_DPAdelayLabel",        "   DPA Delay",      6330, 3450, 1000,  255, set<&C::lblDPAdelayLabel>, true},
    {Kind::Label,  kPanel, "lblin_DPAdelay",             "",                  7350, 3450,  800,  255, set<&C::lblDPAdelay>, true},
    {Kind::Text,   kPanel, "txt_Delay",                  "",                  4380, 3960,  600,  285, set<&C::txtDelay>, true},
    {Kind::Label,  kPanel, "lblDelay",                   "Delay",             5040, 3990,  600,  255, set<&C::lblDelay>, true},
};

QWidget* makeControl(const ControlRow& row, QWidget* parent, Device device)
{
    const QString caption = QString::fromLatin1(row.caption);
    switch (row.kind) {
    case Kind::Frame: return new QGroupBox(caption, parent);
    case Kind::Label: return new QLabel(caption, parent);
    case Kind::Value: {
        auto* label = new QLabel(QStringLiteral("00"), parent);
        label->setProperty("valueLabel", true);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    case Kind::Text: return new QLineEdit(parent);
    case Kind::Button: return new QPushButton(caption, parent);
    case Kind::Check: return new QCheckBox(caption, parent);
    case Kind::Option: return new QRadioButton(caption, parent);
    case Kind::Spinner: return new Spinner(parent);
    case Kind::Title: {
        const std::string_view title = devicePanelLabel(device);
        auto* label = new QLabel(QString::fromLatin1(title.data(), qsizetype(title.size())), parent);
        QFont big = label->font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() * 1.4);
        label->setFont(big);
        return label;
    }
    }
    return nullptr;
}

void applyColours(QFrame& panel, const PanelControls& c, Device device)
{
    // U1 uses the default colours; U4 draws in yellow on black.
    QString sheet = QStringLiteral("QLabel[valueLabel=\"true\"] { color: red; background: white; }");
    if (device == Device::U4) {
        // Yellow text and frames on the black panel; only the text colour is
        // set on check boxes and option buttons, so their indicators stay white.
        sheet += QStringLiteral(
            " QLabel, QCheckBox, QRadioButton { color: #FFFF00; }"
            " QGroupBox { border: 1px solid #FFFF00; margin-top: 6px; }"
            " QGroupBox::title { subcontrol-origin: margin; left: 6px; color: #FFFF00; }"
            " QLabel[valueLabel=\"true\"] { color: red; background: white; }");
        panel.setAutoFillBackground(true);
        QPalette p = panel.palette();
        p.setColor(QPalette::Window, Qt::black);
        p.setColor(QPalette::WindowText, QColor(0xFF, 0xFF, 0x00));
        panel.setPalette(p);
        // The spinner arrows keep the usual colours: black on black they
        // could not be seen, let alone clicked.
        for (Spinner* s : {c.udFdBkDiv, c.udPFD, c.udDPAoffset, c.udOscDiv}) {
            s->setPalette(QApplication::palette());
            s->setAutoFillBackground(true);
        }
    }
    // Frames holding edits not yet written to the chip: a tint on the frame
    // only, so every caption, text and value stays as it is.
    sheet += device == Device::U1
                 ? QStringLiteral(" QGroupBox[unwritten=\"true\"] { background: #FFF4D0; border: 1px solid #E0A000;"
                                  " border-radius: 3px; margin-top: 6px; }"
                                  " QGroupBox[unwritten=\"true\"]::title { subcontrol-origin: margin; left: 6px; }")
                 : QStringLiteral(" QGroupBox[unwritten=\"true\"] { border: 2px solid #FF9900; }");
    panel.setStyleSheet(sheet);
}

} // namespace

PanelControls::PanelControls(QFrame& panel, Device device, Color unlockedColor)
{
    const QString infix = device == Device::U1 ? QStringLiteral("In") : QStringLiteral("Out");
    panel.resize(twips(8175), twips(4485));
    for (OptionGroup** group : {&obOutScl, &obPSD, &obDPA, &obRESET})
        *group = new OptionGroup(&panel);

    std::map<int, QWidget*> frames;
    for (const ControlRow& row : kControls) {
        if (row.u1Only && device != Device::U1)
            continue;
        QWidget* parent = row.kind == Kind::Frame || row.reg == kPanel ? &panel : frames.at(row.reg);
        QWidget* control = makeControl(row, parent, device);
        const QString name = QString::fromLatin1(row.name);
        control->setObjectName(name.contains(QLatin1String("%1")) ? name.arg(infix) : name);
        place(control, row.left, row.top, row.width, row.height);
        if (row.kind == Kind::Frame) {
            frames[row.reg] = control;
            if (row.reg <= reg::Reset)
                frameOf[std::size_t(row.reg)] = static_cast<QGroupBox*>(control);
        }
        if (row.fill)
            row.fill(*this, control);
    }
    frameOf[reg::FdBk1] = frameOf[reg::FdBk0];

    // Initial states: PSD "2" and Out_Scl "1" selected, no DPA or RESET
    // option, RESET text one blank, the lock lamps red boxes; the delay box
    // holds the bus's start value and, like its label, is not shown.
    obPSD->select(0);
    obOutScl->select(0);
    txtRESET->setText(QStringLiteral(" "));
    if (txtDelay) {
        txtDelay->setText(QStringLiteral("10"));
        txtDelay->setVisible(false);
        lblDelay->setVisible(false);
    }
    applyColours(panel, *this, device);
    // The lamps colour themselves through their own sheet.
    setStatusColor(lblPLLstatus, unlockedColor);
    setStatusColor(lblDPAstatus, unlockedColor);
}

std::array<QPushButton*, 7> PanelControls::registerWriteButtons() const
{
    return {cmdInputCntl, cmdLoopCntl, cmdFdBkDiv, cmdDPAoffset, cmdDPAcntl, cmdOutputCntl, cmdOscDiv};
}

void setStatusColor(QLabel* lamp, Color color)
{
    lamp->setProperty("backColor", static_cast<uint>(color));
    const QColor c(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    lamp->setStyleSheet(QStringLiteral("background: %1; border: 1px solid gray;").arg(c.name()));
}

} // namespace zvx
