#include "mainwindow/PanelOperations.h"

#include "mainwindow/Lab.h"
#include "mainwindow/PanelBinding.h"
#include "transport/I2cBus.h"

namespace zvx {

PanelOperations::PanelOperations(Lab& app, Device device, PanelBinding& binding)
    : app_(app), device_(device), binding_(binding)
{
}

ChipDevice& PanelOperations::chip() { return app_.device(device_); }

void PanelOperations::storeOrWrite(bool multiWriteFlag, int reg)
{
    const int value = binding_.composeRegister(reg);
    binding_.showWrittenByte(reg, value);
    if (multiWriteFlag)
        app_.registerImage[std::size_t(reg)] = static_cast<std::int16_t>(value);
    else
        chip().writeRegister(reg, static_cast<std::int16_t>(value));
}

// ---------------------------------------------------------------- write procedures

void PanelOperations::cmdWriteInputCntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::InputCntl);
    if (multiWriteFlag)
        return;
    binding_.clearEdited(reg::InputCntl);
    getAndUpdateLockStatus();
}

void PanelOperations::cmdWriteLoopCntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::LoopCntl);
    if (multiWriteFlag)
        return;
    binding_.clearEdited(reg::LoopCntl);
    chip().writeZeroToPLLreset();
    getAndUpdateLockStatus();
}

void PanelOperations::cmdWriteFdBkDiv(bool multiWriteFlag)
{
    // The divider texts are written as they stand once the total is in bounds.
    binding_.clampTotalForWrite();
    const int low = binding_.composeRegister(reg::FdBk0);
    const int high = binding_.composeRegister(reg::FdBk1);
    if (multiWriteFlag) {
        app_.registerImage[reg::FdBk0] = static_cast<std::int16_t>(low);
        app_.registerImage[reg::FdBk1] = static_cast<std::int16_t>(high);
        return;
    }
    chip().writeRegister(reg::FdBk0, static_cast<std::int16_t>(low));
    chip().writeRegister(reg::FdBk1, static_cast<std::int16_t>(high));
    binding_.clearEdited(reg::FdBk0);
    chip().writeZeroToPLLreset();
    getAndUpdateLockStatus();
    binding_.calculatorUpdate();
}

void PanelOperations::cmdWriteDPAoffset(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::DPAoffset);
    if (multiWriteFlag)
        return;
    binding_.clearEdited(reg::DPAoffset);
    chip().writeZeroToDPAreset();
    getAndUpdateLockStatus();
    binding_.calculatorUpdate();
}

void PanelOperations::cmdWriteDPAcntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::DPAcntl);
    if (multiWriteFlag)
        return;
    binding_.clearEdited(reg::DPAcntl);
    chip().writeZeroToDPAreset();
    getAndUpdateLockStatus();
    binding_.calculatorUpdate();
}

void PanelOperations::cmdWriteOutputCntl(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::OutputCntl);
    if (multiWriteFlag)
        return;
    binding_.clearEdited(reg::OutputCntl);
    getAndUpdateLockStatus();
}

void PanelOperations::cmdWriteOscDiv(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::OscDiv);
    if (multiWriteFlag)
        return;
    binding_.clearEdited(reg::OscDiv);
    getAndUpdateLockStatus();
    binding_.calculatorUpdate();
}

void PanelOperations::cmdWriteRESET(bool multiWriteFlag)
{
    storeOrWrite(multiWriteFlag, reg::Reset);
    if (!multiWriteFlag)
        binding_.clearEdited(reg::Reset);
}

void PanelOperations::writeRegister(int reg)
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

// ---------------------------------------------------------------- lock status and change tests

void PanelOperations::getAndUpdateLockStatus()
{
    // A silent chip's status byte reads 0xFF, both lamps "locked": shown
    // only when the chip answered the read.
    const std::int16_t status = chip().readLockStatus();
    if (chip().answered())
        binding_.showLockStatus(status);
    else
        showLockStatusUnknown();
}

void PanelOperations::showLockStatusUnknown()
{
    // "U1 is not answering at 0x4C on LPT2 (no acknowledge)".
    binding_.showLockStatusUnknown(QStringLiteral("Lock status not known: ") +
                                   QString::fromStdString(chip().notAnsweringSentence(app_.bus().where())));
}

bool PanelOperations::pllRegistersChanged()
{
    return chip().pllRegistersChanged(binding_.getLoopCntlFormValue(), binding_.composeRegister(reg::FdBk0),
                                      binding_.composeRegister(reg::FdBk1));
}

bool PanelOperations::dpaRegistersChanged()
{
    return chip().dpaRegistersChanged(binding_.composeRegister(reg::DPAcntl));
}

// ---------------------------------------------------------------- Write All and Read All

void PanelOperations::writeAll()
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
    chip().writeAllBus(app_.registerImage, pllChanged, dpaChanged, [this](std::int16_t status) {
        if (chip().answered())
            binding_.showLockStatus(status);
        else
            showLockStatusUnknown();
    });
    for (int r = reg::InputCntl; r <= reg::OscDiv; ++r)
        binding_.clearEdited(r);
    binding_.calculatorUpdate();
}

void PanelOperations::readAll()
{
    if (isU1())
        chip().logHeading("Read All");
    const auto bytes = chip().readRegisters0to7();
    // Bytes from a chip that left an acknowledge out are the bus's own 0xFF:
    // spreading them would tick boxes (and with automatic write on, write
    // them back) as if the chip held them. The panel stays as it was.
    if (!chip().answered()) {
        showLockStatusUnknown();
        return;
    }
    // One decode of the whole image, then one pass over the panel.
    PanelRegisters registers{};
    for (std::size_t k = 0; k < bytes.size(); ++k)
        registers[k] = bytes[k];
    const PanelFields fields = decodePanelFields(registers, binding_.revA());
    for (int k = reg::FirstBlockRegister; k <= reg::LastBlockRegister; ++k) {
        binding_.refreshFromChip(fields, k);
        if (isU1() && app_.links.rawEditorUpdate)
            app_.links.rawEditorUpdate(k, bytes[std::size_t(k)]);
    }
    for (int r = reg::InputCntl; r <= reg::OscDiv; ++r)
        binding_.clearEdited(r);
    const auto identity = chip().readIdentityBlock();
    if (!chip().answered()) {
        showLockStatusUnknown();
        return;
    }
    binding_.showChipVer(identity.version);
    binding_.showLockStatus(identity.lockStatus);
    checkChipRevision(true);
}

void PanelOperations::showChipRegisters(const std::array<std::int16_t, 8>& bytes, std::bitset<9> replace)
{
    PanelRegisters registers{};
    for (std::size_t k = 0; k < bytes.size(); ++k)
        registers[k] = bytes[k];
    const PanelFields fields = decodePanelFields(registers, binding_.revA());
    for (int k = reg::FirstBlockRegister; k <= reg::LastBlockRegister; ++k) {
        if (binding_.hasUnwrittenEdits(k) && !replace.test(std::size_t(k)))
            continue;
        binding_.showChipByte(fields, k);
        if (isU1() && app_.links.rawEditorUpdate)
            app_.links.rawEditorUpdate(k, bytes[std::size_t(k)]);
    }
}

// ---------------------------------------------------------------- revision

void PanelOperations::checkChipRevision(bool repeat)
{
    const auto probe = chip().probeRevision();
    if (!chip().answered()) {
        showLockStatusUnknown();
        return;
    }
    // Only the U1 check shows the version it read; U4's label changes on
    // Read All alone.
    if (isU1())
        binding_.showChipVer(probe.version);
    if (!probe.revision)
        return;
    bool& flag = isU1() ? app_.settings.inRevA : app_.settings.outRevA;
    if (*probe.revision == ChipRevision::A) {
        binding_.showChipRev("A");
        app_.showRevisionNotice(device_, !repeat || !flag);
        flag = true;
    } else {
        binding_.showChipRev(revisionLetter(*probe.revision));
        flag = false;
    }
}

} // namespace zvx
