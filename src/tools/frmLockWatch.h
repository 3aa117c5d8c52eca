#pragma once
// Lock Watch (Features > "Lock Watch..."): the lock status of U1, U4 or both
// polled at an interval while the user works, each change listed with its
// time, and a running summary (time watched, lock losses, longest unlocked
// stretch), as zvx7246ctl watch prints them. Each poll reads the lock status
// as the lock "Read" button does, lamps included.
//
// A poll runs from the window's timer, so only between the user's own bus
// operations: a tick that comes while one is under way (a transaction, a
// command waiting in a message box, the stepper auto-repeat, a pattern run,
// the toggle test) is skipped, and the next tick polls. Closing the window
// stops the watch.

#include "device/LockWatch.h"

#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTimer;

namespace zvx {

class Lab;

class frmLockWatch : public QWidget {
    Q_OBJECT
public:
    explicit frmLockWatch(Lab& app, QWidget* parent = nullptr);

    // Start / Stop.
    void cmdStart_Click();
    bool isWatching() const { return watch_.has_value(); }
    // One tick of the poll timer: a poll, unless the bus is in use.
    void tmrPoll_Timer();
    // Ticks skipped because the user's bus work was under way.
    int skippedPolls() const { return skipped_; }

    QComboBox* cmboDevice = nullptr;   // "U1", "U4", "Both"
    QSpinBox* spnInterval = nullptr;   // milliseconds between polls
    QPushButton* cmdStart = nullptr;   // "Start" / "Stop"
    QListWidget* lstChanges = nullptr; // one line per change, then the summary
    QLabel* lblSummary = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* tmrPoll = nullptr;

    // The clocks the watch reads; tests set their own.
    std::function<WatchInstant()> now;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void poll();
    void stop();
    void showSummary();

    Lab& app_;
    std::optional<LockWatch> watch_;
    int skipped_ = 0;
};

} // namespace zvx
