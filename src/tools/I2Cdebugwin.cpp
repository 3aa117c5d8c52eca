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
    listener.appended = [this](std::string_view appended, std::size_t) { logAppended(appended); };
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
    const QString text = toQString(LogScreenText::screenText(log_.text()));
    debugOutput_->setPlainText(text);
    shownLength_ = static_cast<std::size_t>(text.size());
    screen_.reset(log_.text());
    scrollToEnd();
}

void I2Cdebugwin::logAppended(std::string_view appended)
{
    if (!pendingReset_) {
        const LogScreenText::Edit edit = screen_.afterAppend(appended, log_.lastDropped(), log_.text());
        pendingAppend_ += edit.appendAtEnd;
        pendingRemove_ += edit.removeFromFront;
        if (pendingRemove_ > 0 && pendingRemove_ >= shownLength_) {
            // Nothing the box shows now stays: it is set anew at the next show.
            pendingReset_ = true;
            pendingAppend_.clear();
            pendingRemove_ = 0;
        }
    }
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
    if (pendingReset_) {
        pendingReset_ = false;
        showWholeLog();
        return;
    }
    QTextCursor cursor(debugOutput_->document());
    if (!pendingAppend_.empty()) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(toQString(pendingAppend_));
    }
    if (pendingRemove_ > 0) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, static_cast<int>(pendingRemove_));
        cursor.removeSelectedText();
    }
    shownLength_ = shownLength_ + pendingAppend_.size() - pendingRemove_;
    pendingAppend_.clear();
    pendingRemove_ = 0;
    scrollToEnd();
}

void I2Cdebugwin::logCleared()
{
    showTimer_->stop();
    pending_ = pendingReset_ = false;
    pendingAppend_.clear();
    pendingRemove_ = 0;
    debugOutput_->clear();
    shownLength_ = 0;
    screen_.reset({});
}

void I2Cdebugwin::scrollToEnd()
{
    QScrollBar* bar = debugOutput_->verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace zvx
