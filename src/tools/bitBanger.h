#pragma once
// The parallel-port pin tester bitBanger, "Parallel Port Bit-Banger for the
// zvx7246": checking the adapter cable by hand. Check boxes compose a byte
// for each of the port's three registers (the images, kept in the run's
// settings); a Write button sends the whole image to its register and reads
// the register back; a Read button only reads. Each pin indicator then shows
// its pin's level: red high, black low (see tools/PinTester.h for the lines
// the port inverts).
//
// It goes through the same port backend as the bus (ppdev, direct I/O or
// the simulated board) but not through the I2C engine, on its own three
// register addresses: those of the port the program started on. The LPT
// menu does not move it.

#include "tools/PinTester.h"

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;

// The pin tester's own register addresses.
struct PinTesterPorts {
    std::uint16_t data = 0;
    std::uint16_t status = 0;
    std::uint16_t control = 0;
};

class bitBanger : public QMainWindow {
    Q_OBJECT
public:
    explicit bitBanger(Lab& app, QWidget* parent = nullptr);

    // Set once, by the start-up port initialisation.
    void setPorts(const PinTesterPorts& ports) { ports_ = ports; }
    const PinTesterPorts& ports() const { return ports_; }

    // The image of a register (0 data, 1 status, 2 control).
    std::uint8_t image(pins::PortRegister reg) const;

    void cmdWriteData_Click();
    void cmdWriteStatus_Click();
    void cmdWriteIO_Click();
    void cmdReadData_Click();
    void cmdReadStatus_Click();
    void cmdReadIO_Click();

    QPushButton* cmdWriteData = nullptr;
    QPushButton* cmdReadData = nullptr;
    QPushButton* cmdWriteStatus = nullptr;
    QPushButton* cmdReadStatus = nullptr;
    QPushButton* cmdWriteIO = nullptr;
    QPushButton* cmdReadIO = nullptr;

private:
    struct Indicator {
        const pins::PinIndicator* pin;
        QLineEdit* box;
    };

    void buildControls();
    std::uint16_t address(pins::PortRegister reg) const;
    void write(pins::PortRegister reg);
    void read(pins::PortRegister reg);
    // The indicator's background, kept as 0x00BBGGRR in its "backColor"
    // property as the lock labels keep theirs.
    static void setIndicatorColor(QLineEdit* box, std::uint32_t color);

    Lab& app_;
    PinTesterPorts ports_;
    std::vector<Indicator> indicators_;
};

} // namespace zvx
