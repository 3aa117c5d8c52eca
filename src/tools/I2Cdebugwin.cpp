#include "tools/I2Cdebugwin.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <QWindow>

namespace zvx {

namespace {
// Log texts are plain ASCII; Latin-1 keeps one screen character per byte.
QString toQString(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

I2Cdebugwin::I2Cdebugwin(BusLog& log, QWidget* parent) : QMainWindow(parent), log_(log)
{
    setObjectName(QStringLiteral("I2Cdebugwin"));
    setWindowTitle(QStringLiteral("I2C Debug Window"));

    mnuDebugMore_ = menuBar()->addMenu(QStringLiteral("More"));
    mnuDebugMore_->setObjectName(QStringLiteral("mnuDebugMore"));
    mnuDebugTrace_ = mnuDebugMore_->addAction(QStringLiteral("&Tracing Mode"));
    mnuDebugTrace_->setObjectName(QStringLiteral("mnuDebugTrace"));
    mnuDebugTrace_->setCheckable(true);
    mnuDebugTrace_->setChecked(false);
    connect(mnuDebugTrace_, &QAction::triggered, this, [this] { mnuDebugTrace_Click(); });

    // The log box fills the client area whatever the window's size.
    debugOutput_ = new QPlainTextEdit(this);
    debugOutput_->setObjectName(QStringLiteral("debugOutput"));
    debugOutput_->setReadOnly(true);
    debugOutput_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    debugOutput_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    debugOutput_->setUndoRedoEnabled(false);
    setCentralWidget(debugOutput_);

    line1_ = new QFrame(this);
    line1_->setObjectName(QStringLiteral("Line1"));
    line1_->setFrameShape(QFrame::HLine);
    line1_->lower();

    resize(480, 320);

    // A zero-time timer fires once control is back in the event loop.
    showTimer_ = new QTimer(this);
    showTimer_->setSingleShot(true);
    showTimer_->setInterval(0);
    connect(showTimer_, &QTimer::timeout, this, [this] { showPendingLog(); });
    showWholeLog();

    BusLog::Listener listener;
    listener.beforeAppend = [this] { ensureLoaded(); };
    listener.appended = [this](std::string_view appended, std::size_t dropped) {
        logAppended(appended.size(), dropped);
    };
    listener.cleared = [this] { logCleared(); };
    listener_ = log_.addListener(std::move(listener));
}

I2Cdebugwin::~I2Cdebugwin()
{
    log_.removeListener(listener_);
}

void I2Cdebugwin::formLoad()
{
    if (loaded_)
        return;
    loaded_ = true;  // first, so the enabling message finds the window loaded
    if (log_.traceOn == 0) {
        log_.enableTracing();
        mnuDebugTrace_->setChecked(true);
    }
}

void I2Cdebugwin::ensureLoaded()
{
    if (!loaded_)
        formLoad();
}

void I2Cdebugwin::mnuDebugTrace_Click()
{
    if (log_.traceOn == 0) {
        log_.enableTracing();
        mnuDebugTrace_->setChecked(true);
    } else {
        log_.disableTracing();
        mnuDebugTrace_->setChecked(false);
        log_.clear();
    }
}

void I2Cdebugwin::closeEvent(QCloseEvent* event)
{
    // Closing by the frame ends this window's life together with its log;
    // the next append brings a fresh one, in its design state.
    event->accept();
    loaded_ = false;
    mnuDebugTrace_->setChecked(false);
    log_.clear();
}

bool I2Cdebugwin::event(QEvent* event)
{
    // Before the window paints or appears, the box catches up with the log.
    if (pending_ && (event->type() == QEvent::UpdateRequest || event->type() == QEvent::Show))
        showPendingLog();
    if (event->type() == QEvent::Show && !watchingWindow_ && windowHandle()) {
        windowHandle()->installEventFilter(this);
        watchingWindow_ = true;
    }
    return QMainWindow::event(event);
}

bool I2Cdebugwin::eventFilter(QObject* watched, QEvent* event)
{
    // The window system asks for a repaint (the window uncovered, say).
    if (pending_ && watched == windowHandle() && event->type() == QEvent::Expose)
        showPendingLog();
    return QMainWindow::eventFilter(watched, event);
}

void I2Cdebugwin::showWholeLog()
{
    shownLog_ = log_.text();
    debugOutput_->setPlainText(toQString(LogScreenText::screenText(shownLog_)));
    screen_.reset(shownLog_);
    scrollToEnd();
}

// Runs inside bus transactions, token by token: it only counts.
void I2Cdebugwin::logAppended(std::size_t, std::size_t droppedFront)
{
    droppedSinceShown_ += droppedFront;
    if (!pending_) {
        pending_ = true;
        showTimer_->start();
    }
}

void I2Cdebugwin::showPendingLog()
{
    showTimer_->stop();
    if (!pending_)
        return;
    pending_ = false;
    const std::string& log = log_.text();
    const std::size_t dropped = droppedSinceShown_;
    droppedSinceShown_ = 0;
    if (dropped >= shownLog_.size()) {
        // Nothing the box showed is left in the log.
        showWholeLog();
        return;
    }
    // All the appends since the box was last brought up to date, and all
    // their trims, as one change: the kept part of the shown log is still
    // the front of the log, and everything after it was appended.
    const std::size_t kept = shownLog_.size() - dropped;
    const std::string_view appended = std::string_view(log).substr(kept);
    const LogScreenText::Edit edit =
        screen_.afterAppend(appended, std::string_view(shownLog_).substr(0, dropped), log);
    QTextCursor cursor(debugOutput_->document());
    if (!edit.appendAtEnd.empty()) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(toQString(edit.appendAtEnd));
    }
    if (edit.removeFromFront > 0) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor,
                            static_cast<int>(edit.removeFromFront));
        cursor.removeSelectedText();
    }
    shownLog_ = log;
    scrollToEnd();
}

void I2Cdebugwin::logCleared()
{
    showTimer_->stop();
    pending_ = false;
    droppedSinceShown_ = 0;
    shownLog_.clear();
    debugOutput_->clear();
    screen_.reset({});
}

void I2Cdebugwin::scrollToEnd()
{
    QScrollBar* bar = debugOutput_->verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace zvx
