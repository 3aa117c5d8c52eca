#pragma once
// The address dialog frmAddresses, "Select Chip Addresses": the I2C address
// bytes of U1 and U4 as hex boxes. OK applies all four at once (the next
// transaction uses them) and renames the Chip Select menu items after the
// texts as typed; Cancel applies nothing. The boxes are refreshed from the
// addresses every time the menu opens the dialog, so cancelled edits do not
// come back.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zvx {

class Lab;

class frmAddresses : public QDialog {
    Q_OBJECT
public:
    explicit frmAddresses(Lab& app, QWidget* parent = nullptr);

    // Each box gets its address as two upper-case hex digits.
    void Form_Load();
    // The board's strapping, "4D", "4C", "4F", "4E", into the boxes only.
    void cmd_RestoreAddresses_Click();
    // Applies the four boxes and hides the dialog. A box whose value does not
    // fit 16 bits is named in a message and nothing is applied.
    void cmdOK_Click();

    QLineEdit* txt_U1readAddress = nullptr;
    QLineEdit* txt_U1writeAddress = nullptr;
    QLineEdit* txt_U4readAddress = nullptr;
    QLineEdit* txt_U4writeaddress = nullptr;
    QPushButton* cmd_RestoreAddresses = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    Lab& app_;
};

} // namespace zvx
