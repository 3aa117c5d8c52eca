#pragma once
// The About box frmAbout: the program's title and version, the maker, and
// "System Info...", which on Linux opens the program's own system
// information window (frmSysInfo) instead of a platform viewer.

#include "tools/SystemInfo.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

namespace zvx {

class Lab;
class frmSysInfo;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Lab& app, QWidget* parent = nullptr);
    ~frmAbout() override;

    // The load step: caption, title and "Version major.minor.revision".
    void Form_Load();
    // StartSysInfo: gathers the facts and shows them in the system
    // information window; when not even the kernel can be named, the
    // message "System Information Is Unavailable At This Time".
    void StartSysInfo();

    frmSysInfo* sysInfoWindow() const { return sysInfo_.get(); }

    // Where the facts come from; tests stand in for the machine.
    SystemInfoSources sysInfoSources;

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

private:
    Lab& app_;
    std::unique_ptr<frmSysInfo> sysInfo_;
};

} // namespace zvx
