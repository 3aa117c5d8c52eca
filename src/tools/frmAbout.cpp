#include "tools/frmAbout.h"

#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/ProgramIcon.h"
#include "tools/frmSysInfo.h"
#include "transport/I2cBus.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace zvx {

namespace {

const char* const kAppTitle = "ZVX 7246 Register Tool";

} // namespace

frmAbout::frmAbout(Lab& app, QWidget* parent) : QDialog(parent), app_(app)
{
    setObjectName(QStringLiteral("frmAbout"));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    const QIcon icon = programIcon();
    picIcon->setPixmap((icon.isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : icon).pixmap(48, 48));
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont serif(QStringLiteral("Times New Roman"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSizeF(lblTitle->font().pointSizeF() * 1.6);
    serif.setBold(true);
    lblTitle->setFont(serif);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto label = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        return l;
    };
    QLabel* maker = label("lblMaker", QStringLiteral("Velmora Clockworks Company, Inc."));
    QLabel* description = label("lblDescription",
                                QStringLiteral("Register tool for the ZVX 7246 evaluation board: both line-locked "
                                               "clock synthesizers, programmed over I2C through a PC parallel port."));
    QLabel* platform = label("lblPlatform", QStringLiteral("Linux edition, built with Qt %1.").arg(QStringLiteral(QT_VERSION_STR)));

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Enter and Esc both close the box: OK is the default button, and a
    // dialog's Esc hides it as OK does.
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::hide);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addWidget(maker);
    texts->addWidget(description);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(platform, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    bottom->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(line);
    outer->addLayout(bottom);
    resize(440, 220);

    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(kAppTitle));
    lblTitle->setText(QString::fromLatin1(kAppTitle));
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(ZVX_VERSION_MAJOR).arg(ZVX_VERSION_MINOR).arg(ZVX_VERSION_PATCH));
}

void frmAbout::StartSysInfo()
{
    const auto info = gatherSystemInfo(sysInfoSources, qVersion(), app_.bus().port().description());
    if (!info) {
        app_.dialogs().message(this, QMessageBox::NoIcon, QString::fromLatin1(kAppTitle),
                               QStringLiteral("System Information Is Unavailable At This Time"), QMessageBox::Ok);
        return;
    }
    if (!sysInfo_)
        sysInfo_ = std::make_unique<frmSysInfo>();
    sysInfo_->setText(QString::fromStdString(formatSystemInfo(*info)));
    sysInfo_->show();
    sysInfo_->raise();
}

} // namespace zvx
