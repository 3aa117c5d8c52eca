#include "tools/I2Cdebugwin.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

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
    setCentralWidget(debugOutput_);

    line1_ = new QFrame(this);
    line1_->setObjectName(QStringLiteral("Line1"));
    line1_->setFrameShape(QFrame::HLine);
    line1_->lower();

    resize(480, 320);
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

void I2Cdebugwin::showWholeLog()
{
    debugOutput_->setPlainText(toQString(LogScreenText::screenText(log_.text())));
    screen_.reset(log_.text());
    scrollToEnd();
}

void I2Cdebugwin::logAppended(std::string_view appended)
{
    const LogScreenText::Edit edit = screen_.afterAppend(appended, log_.lastDropped(), log_.text());
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
    scrollToEnd();
}

void I2Cdebugwin::logCleared()
{
    debugOutput_->clear();
    screen_.reset({});
}

void I2Cdebugwin::scrollToEnd()
{
    QScrollBar* bar = debugOutput_->verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace zvx
