#pragma once
// The bus monitor window "I2C Debug Window": a read-only view of the BusLog
// with the menu "More" > "&Tracing Mode". It shows exactly the log, scrolled
// to its last line, whenever it can be seen.
//
// Nobody can see the window while a bus transaction runs (the event loop does
// not run inside one), so the log's changes are only noted as they come and
// the text box follows once per return to the event loop: the new text added
// at its end, the trimmed lines taken off its front, as small edits; only
// when the trims took more than the box showed is it set anew from the log.
// A repaint or a show that comes first brings it up to date too. The box
// keeps no undo history: it would grow with every append.
//
// Its life follows the log's writers: it is created hidden, and its load step
// switches tracing on. Closing it by the frame stands for destroying it: it
// hides, the log is emptied and it counts as unloaded; the next append from
// any writer loads it again (hidden), which switches tracing back on if it
// was off. Nothing here yields to the event loop, so no handler can start a
// second bus transaction while a trace append runs inside one.

#include "transport/BusLog.h"
#include "transport/LogScreenText.h"

#include <QMainWindow>

class QAction;
class QCloseEvent;
class QFrame;
class QMenu;
class QPlainTextEdit;
class QTimer;

namespace zvx {

class I2Cdebugwin : public QMainWindow {
    Q_OBJECT

public:
    // Registers with the log so that any append loads the window first.
    explicit I2Cdebugwin(BusLog& log, QWidget* parent = nullptr);
    ~I2Cdebugwin() override;

    // The load step: when tracing is off, switch it on and check the menu
    // item; when it is already on, nothing (the item keeps its unchecked
    // state). Runs once per life of the window.
    void formLoad();
    // Loads the window unless it is loaded; called before every append.
    void ensureLoaded();
    bool isLoaded() const { return loaded_; }

    // "&Tracing Mode": off -> on (item checked); on -> off (item unchecked
    // and the log emptied, so the disabling message does not stay).
    void mnuDebugTrace_Click();

    // Brings the text box up to the log now (normally done when control
    // returns to the event loop).
    void showPendingLog();
    bool hasPendingLog() const { return pending_; }

    QPlainTextEdit* debugOutput() const { return debugOutput_; }
    QAction* mnuDebugTrace() const { return mnuDebugTrace_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showWholeLog();
    void logAppended(std::size_t appendedLength, std::size_t droppedFront);
    void logCleared();
    void scrollToEnd();

    BusLog& log_;
    BusLog::ListenerId listener_ = 0;
    LogScreenText screen_;
    bool loaded_ = false;

    // The log as the box shows it, and how the log has changed since: the
    // log now is (shownLog_ + what was appended) without its first
    // droppedSinceShown_ characters.
    std::string shownLog_;
    bool pending_ = false;
    std::size_t droppedSinceShown_ = 0;
    QTimer* showTimer_ = nullptr;
    bool watchingWindow_ = false;

    QPlainTextEdit* debugOutput_ = nullptr;
    QFrame* line1_ = nullptr;
    QMenu* mnuDebugMore_ = nullptr;
    QAction* mnuDebugTrace_ = nullptr;
};

} // namespace zvx
