#include "tools/frmLockWatch.h"

#include "mainwindow/DevicePanel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"

#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace zvx {

namespace {

constexpr int kMinIntervalMs = 50;
constexpr int kMaxIntervalMs = 3'600'000;

std::vector<Device> devicesOf(int index)
{
    if (index == 0)
        return {Device::U1};
    if (index == 1)
        return {Device::U4};
    return {Device::U1, Device::U4};
}

} // namespace

frmLockWatch::frmLockWatch(Lab& app, QWidget* parent) : QWidget(parent, Qt::Window), app_(app)
{
    setObjectName(QStringLiteral("frmLockWatch"));
    setWindowTitle(QStringLiteral("Lock Watch"));

    auto* deviceLabel = new QLabel(QStringLiteral("Chip"), this);
    cmboDevice = new QComboBox(this);
    cmboDevice->setObjectName(QStringLiteral("cmboDevice"));
    cmboDevice->addItems({QStringLiteral("U1"), QStringLiteral("U4"), QStringLiteral("Both")});
    cmboDevice->setCurrentIndex(2);
    auto* intervalLabel = new QLabel(QStringLiteral("Interval (ms)"), this);
    spnInterval = new QSpinBox(this);
    spnInterval->setObjectName(QStringLiteral("spnInterval"));
    spnInterval->setRange(kMinIntervalMs, kMaxIntervalMs);
    spnInterval->setValue(1000);
    cmdStart = new QPushButton(QStringLiteral("Start"), this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    lstChanges = new QListWidget(this);
    lstChanges->setObjectName(QStringLiteral("lstChanges"));
    lstChanges->setMinimumSize(560, 220);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    tmrPoll = new QTimer(this);
    tmrPoll->setObjectName(QStringLiteral("tmrPoll"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(deviceLabel, 0, 0);
    grid->addWidget(cmboDevice, 0, 1);
    grid->addWidget(intervalLabel, 0, 2);
    grid->addWidget(spnInterval, 0, 3);
    grid->addWidget(cmdStart, 0, 4);
    grid->addWidget(lstChanges, 1, 0, 1, 5);
    grid->addWidget(lblSummary, 2, 0, 1, 5);
    grid->addWidget(cmdClose, 3, 4);

    connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
    connect(tmrPoll, &QTimer::timeout, this, [this] { tmrPoll_Timer(); });

    now = [clock = std::make_shared<QElapsedTimer>()] {
        if (!clock->isValid())
            clock->start();
        return WatchInstant{QDateTime::currentMSecsSinceEpoch(), clock->elapsed()};
    };
}

void frmLockWatch::cmdStart_Click()
{
    if (watch_) {
        stop();
        return;
    }
    watch_.emplace(devicesOf(cmboDevice->currentIndex()));
    skipped_ = 0;
    lstChanges->clear();
    lblSummary->clear();
    cmdStart->setText(QStringLiteral("Stop"));
    cmboDevice->setEnabled(false);
    spnInterval->setEnabled(false);
    tmrPoll->start(spnInterval->value());
    tmrPoll_Timer();
}

void frmLockWatch::tmrPoll_Timer()
{
    if (!watch_)
        return;
    if (app_.busInUse()) {
        ++skipped_;
        return;
    }
    poll();
}

void frmLockWatch::poll()
{
    std::vector<LockReading> readings;
    MainWindow* window = app_.mainWindow();
    for (const Device d : watch_->devices()) {
        ChipDevice& chip = app_.device(d);
        const int status = chip.readLockStatus();
        readings.push_back({chip.answered(), status});
        // The lamps show what the poll read, as after the lock "Read".
        if (DevicePanel* panel = window ? window->panel(d == Device::U1 ? 0 : 1) : nullptr) {
            if (chip.answered())
                panel->showLockStatus(status);
            else
                panel->showLockStatusUnknown();
        }
    }
    for (const LockEvent& e : watch_->poll(now(), readings))
        lstChanges->addItem(QString::fromStdString(lockEventText(e)));
    lstChanges->scrollToBottom();
    showSummary();
}

void frmLockWatch::showSummary()
{
    lblSummary->setText(QString::fromStdString(lockSummaryText(watch_->summary(now()))));
}

void frmLockWatch::stop()
{
    tmrPoll->stop();
    if (watch_) {
        showSummary();
        lstChanges->addItem(lblSummary->text());
        lstChanges->scrollToBottom();
    }
    watch_.reset();
    cmdStart->setText(QStringLiteral("Start"));
    cmboDevice->setEnabled(true);
    spnInterval->setEnabled(true);
}

void frmLockWatch::hideEvent(QHideEvent* event)
{
    // Hidden, the watch could not be seen or stopped: it ends here.
    stop();
    QWidget::hideEvent(event);
}

} // namespace zvx
