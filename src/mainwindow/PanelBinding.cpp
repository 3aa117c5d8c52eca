#include "mainwindow/PanelBinding.h"

#include "device/NumberText.h"
#include "mainwindow/Lab.h"
#include "mainwindow/LineEditBox.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PanelControls.h"
#include "mainwindow/Steppers.h"
#include "transport/I2cBus.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

namespace zvx {

namespace {

// The lock lamps' colour while the lock status is not known: grey, neither
// the locked nor the unlocked colour (0x00BBGGRR).
constexpr Color kLockUnknownColor = 0xC0C0C0;

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

int hexValue(const QLineEdit* box) { return hexTextInt16(ss(box->text())); }
int decimalValue(const QLineEdit* box) { return decimalTextInt16(ss(box->text())); }

} // namespace

PanelBinding::PanelBinding(Lab& app, Device device, PanelControls& controls,
                           std::function<void(int reg)> writeRegister)
    : app_(app), device_(device), c_(controls), writeRegister_(std::move(writeRegister))
{
    wireEditing();
}

bool PanelBinding::revA() const { return isU1() ? app_.settings.inRevA : app_.settings.outRevA; }

void PanelBinding::calculatorUpdate()
{
    if (isU1() && app_.links.calculatorUpdate)
        app_.links.calculatorUpdate();
}

// ---------------------------------------------------------------- register to controls

void PanelBinding::showRegister(int reg, int value)
{
    if (reg < 0 || reg > reg::Reset)
        return;
    PanelRegisters one{};
    one[std::size_t(reg)] = value;
    showFields(decodePanelFields(one, revA()), reg);
}

void PanelBinding::showFields(const PanelFields& fields, int reg)
{
    // Each register's controls in the order the refresh routines set them.
    switch (reg) {
    case reg::InputCntl: if (fields.inputCntl) show(*fields.inputCntl); break;
    case reg::LoopCntl: if (fields.loopCntl) show(*fields.loopCntl); break;
    case reg::FdBk0: if (fields.fdBk0Text) c_.txtFdBk0->setText(qs(*fields.fdBk0Text)); break;
    case reg::FdBk1: if (fields.fdBk1Text) c_.txtFdBk1->setText(qs(*fields.fdBk1Text)); break;
    case reg::DPAoffset: if (fields.dpaOffset) show(*fields.dpaOffset); break;
    case reg::DPAcntl: if (fields.dpaCntl) show(*fields.dpaCntl); break;
    case reg::OutputCntl: if (fields.outputCntl) show(*fields.outputCntl); break;
    case reg::OscDiv: if (fields.oscDiv) show(*fields.oscDiv); break;
    case reg::Reset: if (fields.resetText) c_.txtRESET->setText(qs(*fields.resetText)); break;
    default: break;
    }
}

void PanelBinding::show(const InputCntlFields& f)
{
    for (int i = 0; i < 8; ++i)
        c_.ckInput[i]->setChecked(f.ticked[i]);
    c_.txtInputCntl->setText(qs(f.text));
}

void PanelBinding::show(const LoopCntlFields& f)
{
    c_.obPSD->select(f.psdIndex);
    c_.txtPFD->setText(qs(f.pfdText));
    c_.lblLoopCntl->setText(qs(f.byteText));
}

void PanelBinding::show(const DpaOffsetFields& f)
{
    c_.ckExtFilter->setChecked(f.filterSelect);
    c_.txtDPAoffset->setText(qs(f.offsetText));
    c_.lblDPAoffset->setText(qs(f.byteText));
}

void PanelBinding::show(const DpaCntlFields& f)
{
    if (f.option)
        c_.obDPA->select(*f.option);
    else
        c_.obDPA->clear();
    c_.txtDPAcntl->setText(qs(f.text));
}

void PanelBinding::show(const OutputCntlFields& f)
{
    for (int i = 0; i < 6; ++i)
        c_.ckOutput[i]->setChecked(f.ticked[i]);
    c_.obOutScl->select(f.sclOption);
    c_.txtOutputCntl->setText(qs(f.text));
}

void PanelBinding::show(const OscDivFields& f)
{
    c_.ckOscDiv->setChecked(f.inputSelect);
    c_.txtOscDiv->setText(qs(f.dividerText));
    c_.lblOscDiv->setText(qs(f.byteText));
}

void PanelBinding::refreshFromChip(const PanelFields& fields, int reg)
{
    // Setting a control raises its handler, and with automatic write on a
    // bit control's click writes its register. The fields of one register
    // are set one after another, so such a write waits until the whole byte
    // is shown: it then gives the chip back the byte just read instead of the
    // new bit with the old value of the other fields.
    refreshing_ = true;
    pendingWrites_.reset();
    showFields(fields, reg);
    refreshing_ = false;
    for (int r = 0; r < int(pendingWrites_.size()); ++r)
        if (pendingWrites_.test(std::size_t(r)))
            writeRegister_(r);
    pendingWrites_.reset();
}

void PanelBinding::showChipByte(const PanelFields& fields, int reg)
{
    refreshing_ = true;
    pendingWrites_.reset();
    showFields(fields, reg);
    refreshing_ = false;
    // The chip holds the byte already: writing it back would add bus traffic
    // (and resets) the script never asked for.
    pendingWrites_.reset();
    clearEdited(reg);
}

void PanelBinding::showSetupRegisters(const PanelRegisters& registers)
{
    const PanelFields fields = decodePanelFields(registers, revA());
    for (int reg = reg::InputCntl; reg <= reg::Reset; ++reg) {
        if (const auto value = registers[std::size_t(reg)]) {
            showFields(fields, reg);
            // The raw register editor mirrors U1's registers 0 to 7.
            if (isU1() && reg <= reg::LastBlockRegister && app_.links.rawEditorUpdate)
                app_.links.rawEditorUpdate(reg, *value);
        }
        // The total follows the divider boxes, whether or not the file held
        // registers 2 and 3.
        if (reg == reg::FdBk1)
            showHorizTotal();
    }
}

void PanelBinding::showChipVer(int value) { c_.lblChipVer->setText(qs(plainHex(value))); }

void PanelBinding::showChipRev(std::string_view letter)
{
    c_.lblChipRev->setText(QString::fromLatin1(letter.data(), qsizetype(letter.size())));
}

void PanelBinding::showLockStatus(int value)
{
    const LockColors colors{app_.settings.lockedColor, app_.settings.unlockedColor};
    setStatusColor(c_.lblDPAstatus, dpaStatusColor(value, colors));
    setStatusColor(c_.lblPLLstatus, pllStatusColor(value, colors));
    c_.lblDPAstatus->setToolTip(QString());
    c_.lblPLLstatus->setToolTip(QString());
}

void PanelBinding::showLockStatusUnknown(const QString& why)
{
    for (QLabel* lamp : {c_.lblDPAstatus, c_.lblPLLstatus}) {
        setStatusColor(lamp, kLockUnknownColor);
        lamp->setToolTip(why);
    }
}

void PanelBinding::showHorizTotal()
{
    LineEditBox total(c_.txtHorizTotal), low(c_.txtFdBk0), high(c_.txtFdBk1);
    zvx::showHorizTotal(total, low, high);
}

void PanelBinding::showWrittenByte(int reg, int value)
{
    QLabel* label = reg == reg::LoopCntl ? c_.lblLoopCntl : reg == reg::DPAoffset ? c_.lblDPAoffset
                    : reg == reg::OscDiv ? c_.lblOscDiv : nullptr;
    if (label)
        label->setText(qs(showHexByte(value)));
}

// ---------------------------------------------------------------- controls to register

int PanelBinding::composeRegister(int reg) const
{
    switch (reg) {
    case reg::InputCntl: return composeRegisterByte(hexValue(c_.txtInputCntl));
    case reg::LoopCntl: return getLoopCntlFormValue();
    case reg::FdBk0: return composeRegisterByte(hexValue(c_.txtFdBk0));
    case reg::FdBk1: return composeFdBk1(hexValue(c_.txtFdBk1));
    case reg::DPAoffset: return composeDPAoffset(hexValue(c_.txtDPAoffset), c_.ckExtFilter->isChecked());
    case reg::DPAcntl: return composeRegisterByte(hexValue(c_.txtDPAcntl));
    case reg::OutputCntl: return composeRegisterByte(hexValue(c_.txtOutputCntl));
    case reg::OscDiv: return composeOscDiv(decimalValue(c_.txtOscDiv), c_.ckOscDiv->isChecked());
    case reg::Reset: return composeRegisterByte(hexValue(c_.txtRESET));
    default: return 0;
    }
}

int PanelBinding::getLoopCntlFormValue() const
{
    const int psd = c_.obPSD->selectedIndex();
    return composeLoopCntl(hexValue(c_.txtPFD), psd < 0 ? std::nullopt : std::optional<int>(psd));
}

int PanelBinding::outSclValue() const
{
    const int option = c_.obOutScl->selectedIndex();
    return zvx::outSclValue(option < 0 ? std::nullopt : std::optional<int>(option), revA());
}

void PanelBinding::clampTotalForWrite()
{
    // The total only bounds the divider texts; the texts are what is written.
    // A total above 4095 is pulled back to 4095 (divider 0xFF7, the top the
    // "up" button stops at), one below 8 to 8, so the total box and the
    // divider written agree.
    LineEditBox total(c_.txtHorizTotal), low(c_.txtFdBk0), high(c_.txtFdBk1);
    horizTotal_clampForWrite(total, low, high);
}

bool PanelBinding::isPLLlocked() const
{
    return c_.lblPLLstatus->property("backColor").toUInt() == app_.settings.lockedColor;
}

bool PanelBinding::isDPAlocked() const
{
    return c_.lblDPAstatus->property("backColor").toUInt() == app_.settings.lockedColor;
}

void PanelBinding::syncOutputCntl()
{
    std::array<bool, 6> ticked{};
    for (int i = 0; i < 6; ++i)
        ticked[i] = c_.ckOutput[i]->isChecked();
    const int option = c_.obOutScl->selectedIndex();
    const int value = composeOutputCntl(ticked, option < 0 ? std::nullopt : std::optional<int>(option), revA());
    c_.txtOutputCntl->setText(qs(plainHex(value)));
    autoWriteRegister(reg::OutputCntl);
    if (isU1() && app_.links.updateClockOutputLabels)
        app_.links.updateClockOutputLabels();
}

// ---------------------------------------------------------------- editing rules

void PanelBinding::wireEditing()
{
    AppSettings& settings = app_.settings;

    // Register 0: a click on a bit box composes the hex text, and the hex
    // text is spread back to the boxes (their clicks then do nothing).
    for (QCheckBox* box : c_.ckInput) {
        onCheckChange(box, [this, &settings] {
            if (settings.updatingControls)
                return;
            markEdited(reg::InputCntl);
            int value = 0;
            for (int i = 0; i < 8; ++i)
                if (c_.ckInput[i]->isChecked())
                    value += 1 << i;
            c_.txtInputCntl->setText(qs(plainHex(value)));
            autoWriteRegister(reg::InputCntl);
        });
    }
    onLimitedTextChange(c_.txtInputCntl, 2, [this] {
        markEdited(reg::InputCntl);
        spreadInputCntlText();
    });
    writeOnEnter(c_.txtInputCntl, reg::InputCntl);

    // Register 1: the PSD buttons write; the PFD text waits for Enter or a step.
    c_.obPSD->onClick([this](int) {
        markEdited(reg::LoopCntl);
        autoWriteRegister(reg::LoopCntl);
        calculatorUpdate();
    });
    onLimitedTextChange(c_.txtPFD, 1, [this] { markEdited(reg::LoopCntl); });
    writeOnEnter(c_.txtPFD, reg::LoopCntl);

    // Registers 2 and 3: the divider boxes feed the total unless the user is
    // typing the total, which feeds the divider boxes.
    for (auto [box, limit] : {std::pair{c_.txtFdBk0, 2}, std::pair{c_.txtFdBk1, 1}}) {
        onLimitedTextChange(box, limit, [this, &settings] {
            markEdited(reg::FdBk0);
            if (!settings.typingHorizTotal)
                showHorizTotal();
        });
        onKeyPress(box, [this, &settings](const QKeyEvent& key) {
            settings.typingHorizTotal = false;
            return isEnterKey(key) && enterWrites(reg::FdBk0);
        });
    }
    onLimitedTextChange(c_.txtHorizTotal, 4, [this] {
        markEdited(reg::FdBk0);
        LineEditBox total(c_.txtHorizTotal), low(c_.txtFdBk0), high(c_.txtFdBk1);
        horizTotal_textToRegisters(total, low, high);
    });
    onKeyPress(c_.txtHorizTotal, [this, &settings](const QKeyEvent& key) {
        settings.typingHorizTotal = true;
        return isEnterKey(key) && enterWrites(reg::FdBk0);
    });

    // Register 4: the offset text waits; the filter-select box writes.
    onLimitedTextChange(c_.txtDPAoffset, 2, [this] { markEdited(reg::DPAoffset); });
    writeOnEnter(c_.txtDPAoffset, reg::DPAoffset);
    onCheckChange(c_.ckExtFilter, [this] {
        markEdited(reg::DPAoffset);
        if (isU1())
            applyInternalFilterValues(c_.ckExtFilter->isChecked());
        autoWriteRegister(reg::DPAoffset);
    });

    // Register 5: an option sets the text to its code and writes; a typed
    // code selects its button, whose click writes.
    c_.obDPA->onClick([this](int index) {
        markEdited(reg::DPAcntl);
        c_.txtDPAcntl->setText(qs(dpaCntlTextForOption(index)));
        autoWriteRegister(reg::DPAcntl);
    });
    onLimitedTextChange(c_.txtDPAcntl, 3, [this] {
        markEdited(reg::DPAcntl);
        showRegister(reg::DPAcntl, hexValue(c_.txtDPAcntl));
    });
    writeOnEnter(c_.txtDPAcntl, reg::DPAcntl);

    // Register 6: the enables and the output scaler compose the text, which
    // is spread back to them. The U1 scaler also feeds the calculator.
    for (QCheckBox* box : c_.ckOutput) {
        onCheckChange(box, [this, &settings] {
            if (settings.updatingControls)
                return;
            markEdited(reg::OutputCntl);
            syncOutputCntl();
        });
    }
    c_.obOutScl->onClick([this, &settings](int) {
        if (!settings.updatingControls) {
            markEdited(reg::OutputCntl);
            syncOutputCntl();
        }
        calculatorUpdate();
    });
    onLimitedTextChange(c_.txtOutputCntl, 2, [this] {
        markEdited(reg::OutputCntl);
        spreadOutputCntlText();
    });
    writeOnEnter(c_.txtOutputCntl, reg::OutputCntl);

    // Register 7: the decimal divider text waits; the input select writes.
    onLimitedTextChange(c_.txtOscDiv, 3, [this] { markEdited(reg::OscDiv); });
    writeOnEnter(c_.txtOscDiv, reg::OscDiv);
    onCheckChange(c_.ckOscDiv, [this] { ckOscDiv_Click(); });

    // Register 8: an option sets the text to its command and sends it; a
    // typed command selects its button, whose click sends it.
    c_.obRESET->onClick([this](int index) {
        markEdited(reg::Reset);
        const std::string_view code = resetText(static_cast<ResetOption>(index));
        c_.txtRESET->setText(QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size())));
        autoWriteRegister(reg::Reset);
    });
    onLimitedTextChange(c_.txtRESET, 2, [this] {
        markEdited(reg::Reset);
        switch (hexValue(c_.txtRESET)) {
        case kPllResetByte: c_.obRESET->select(int(ResetOption::Pll)); break;
        case kDpaResetByte: c_.obRESET->select(int(ResetOption::Dpa)); break;
        case kBothResetByte: c_.obRESET->select(int(ResetOption::Both)); break;
        default: c_.obRESET->clear(); break;
        }
    });
    writeOnEnter(c_.txtRESET, reg::Reset);

    // The hidden bus delay box (U1 panel).
    if (c_.txtDelay) {
        onTextChange(c_.txtDelay, [this] {
            app_.bus().lines.delayCount = toInt32(decimalTextValue(ss(c_.txtDelay->text())));
        });
    }
}

void PanelBinding::ckOscDiv_Click()
{
    markEdited(reg::OscDiv);
    if (isU1() && app_.links.setCalculatorInputMode)
        app_.links.setCalculatorInputMode();
    autoWriteRegister(reg::OscDiv);
}

bool PanelBinding::enterWrites(int reg)
{
    // With automatic write off the window leaves Enter alone; the register's
    // "write" button writes.
    if (!app_.settings.autoWrite)
        return false;
    writeRegister_(reg);
    return true;
}

void PanelBinding::writeOnEnter(QLineEdit* box, int reg)
{
    onKeyPress(box, [this, reg](const QKeyEvent& key) { return isEnterKey(key) && enterWrites(reg); });
}

void PanelBinding::autoWriteRegister(int reg)
{
    // A click that writes with automatic write on: at once, or, while Read
    // All refreshes the panel, once the register's controls all show the
    // byte read.
    if (!app_.settings.autoWrite)
        return;
    if (refreshing_)
        pendingWrites_.set(std::size_t(reg));
    else
        writeRegister_(reg);
}

void PanelBinding::spreadInputCntlText()
{
    AppSettings& settings = app_.settings;
    settings.updatingControls = true;
    showRegister(reg::InputCntl, hexValue(c_.txtInputCntl));
    settings.updatingControls = false;
}

void PanelBinding::spreadOutputCntlText()
{
    AppSettings& settings = app_.settings;
    settings.updatingControls = true;
    showRegister(reg::OutputCntl, hexValue(c_.txtOutputCntl));
    settings.updatingControls = false;
}

void PanelBinding::applyInternalFilterValues(bool internal)
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

void PanelBinding::keepExternalFilterValues(const QString& c1, const QString& c2, const QString& r)
{
    savedC1_ = c1;
    savedC2_ = c2;
    savedR_ = r;
}

// ---------------------------------------------------------------- unwritten edits

bool PanelBinding::hasUnwrittenEdits(int reg) const
{
    return reg >= 0 && reg < int(unwritten_.size()) &&
           unwritten_.test(std::size_t(reg == reg::FdBk1 ? reg::FdBk0 : reg));
}

void PanelBinding::markEdited(int reg)
{
    // What Read All spreads over the panel is what the chip holds.
    if (!refreshing_)
        setUnwrittenMarker(reg, true);
}

void PanelBinding::clearEdited(int reg)
{
    setUnwrittenMarker(reg, false);
}

void PanelBinding::setUnwrittenMarker(int reg, bool on)
{
    if (reg == reg::FdBk1)
        reg = reg::FdBk0;
    if (unwritten_.test(std::size_t(reg)) == on)
        return;
    unwritten_.set(std::size_t(reg), on);
    QGroupBox* f = c_.frameOf[std::size_t(reg)];
    f->setProperty("unwritten", on);
    f->setToolTip(on ? QStringLiteral("Changed here, not yet written to the chip") : QString());
    // A dynamic property takes effect in the style sheet only when re-polished,
    // and a changed border is drawn only when the whole frame is repainted
    // (the box being edited repaints just its own rectangle).
    f->style()->unpolish(f);
    f->style()->polish(f);
    f->update();
}

} // namespace zvx
