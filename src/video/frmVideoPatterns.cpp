#include "video/frmVideoPatterns.h"

#include "mainwindow/ControlRule.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"
#include "video/VideoHotKey.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zvx {

namespace {

const QString kCaption = QStringLiteral("Video Pattern Generator");

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

frmVideoPatterns::frmVideoPatterns(Lab& lab, const QString& rendererPath, QWidget* parent)
    : QWidget(parent, Qt::Window), lab_(lab), renderer_(rendererPath)
{
    setObjectName(QStringLiteral("frmVideoPatterns"));
    setWindowTitle(kCaption);
    buildControls();
    Form_Load();
}

void frmVideoPatterns::buildControls()
{
    auto* title = label(this, "lblTitle", kCaption);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    title->setFont(big);

    // The 21 patterns in two columns, as numbered for the renderer.
    auto* patterns = new QFrame(this);
    patterns->setObjectName(QStringLiteral("fraPattern"));
    patterns->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(patterns);
    obPattern = new OptionGroup(this);
    for (int i = 0; i < kPatternCount; ++i) {
        auto* option = new QRadioButton(patternCaption(i), patterns);
        option->setObjectName(QStringLiteral("obPattern_%1").arg(i));
        obPattern->add(i, option);
        grid->addWidget(option, i % 11, i / 11);
    }
    cmdBrowse = button(patterns, "cmdBrowse", QStringLiteral("Select Bmp File"));
    grid->addWidget(cmdBrowse, 10, 1);

    cmboMode = new QComboBox(this);
    cmboMode->setObjectName(QStringLiteral("cmboMode"));
    cmboMode->addItems(videoModeItems());
    cmboRefreshRate = new QComboBox(this);
    cmboRefreshRate->setObjectName(QStringLiteral("cmboRefreshRate"));
    cmboRefreshRate->addItems(refreshRateItems());
    auto* lists = new QGridLayout;
    lists->addWidget(label(this, "lblMode", QStringLiteral("Video Mode")), 0, 0);
    lists->addWidget(cmboMode, 1, 0);
    lists->addWidget(label(this, "lblRefreshRate", QStringLiteral("Refresh Rate")), 0, 1);
    lists->addWidget(cmboRefreshRate, 1, 1);

    lblDisplayTiming = label(this, "lblDisplayTiming", QString());
    lblDisplayTiming->setWordWrap(true);
    lblDisplayTiming->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdUseForU1 = button(this, "cmdUseForU1", QStringLiteral("Use for U1"));
    cmdUseForU1->setEnabled(false);
    auto* timingRow = new QHBoxLayout;
    timingRow->addWidget(lblDisplayTiming, 1);
    timingRow->addWidget(cmdUseForU1, 0, Qt::AlignTop);

    auto* help = new QVBoxLayout;
    help->setSpacing(0);
    const char* const helpLines[] = {"Hot Keys:", "f, F: Toggle Filter Int/Ext", "g,G,h,H: Horizontal  -/+",
                                     "d, D: DPA  -/+", "p, P: PFD  -/+", "(while in full-", " screen video)",
                                     "    c: Toggles color"};
    int n = 0;
    for (const char* line : helpLines) {
        const QByteArray name = QByteArrayLiteral("lblHelp_") + QByteArray::number(n++);
        help->addWidget(label(this, name.constData(), QString::fromLatin1(line)));
    }
    help->addStretch();

    cmdExecute = button(this, "cmdExecute", QStringLiteral("Execute"));
    cmdAdvancedSettings = button(this, "cmdAdvancedSettings", QStringLiteral("Advanced ..."));
    cmdClose = button(this, "cmdClose", QStringLiteral("Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdExecute);
    buttons->addWidget(cmdAdvancedSettings);
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto* middle = new QHBoxLayout;
    middle->addWidget(patterns, 1);
    middle->addLayout(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addLayout(middle);
    layout->addLayout(lists);
    layout->addLayout(timingRow);
    layout->addLayout(buttons);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
    connect(cmdExecute, &QPushButton::clicked, this, [this] { runVideoPattern(); });
    connect(cmdAdvancedSettings, &QPushButton::clicked, this, [this] {
        if (showAdvanced)
            showAdvanced();
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
    connect(cmdUseForU1, &QPushButton::clicked, this, [this] { cmdUseForU1_Click(); });
    for (QComboBox* list : {cmboMode, cmboRefreshRate}) {
        connect(list, &QComboBox::currentIndexChanged, this, [this] {
            if (isVisible())
                refreshDisplayTiming();
        });
    }
}

void frmVideoPatterns::Form_Load()
{
    cmboMode->setCurrentIndex(0);
    cmboRefreshRate->setCurrentIndex(0);
    obPattern->select(kStartPattern);
}

void frmVideoPatterns::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshDisplayTiming();
}

void frmVideoPatterns::warn(const QString& text)
{
    lab_.dialogs().message(this, QMessageBox::Warning, kCaption, text, QMessageBox::Ok);
}

void frmVideoPatterns::cmdBrowse_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Choose Bitmap File to Open");
    request.directory = QDir::currentPath();
    request.filter = QStringLiteral("Bitmap Files (*.bmp)|*.bmp| All Files (*.*)|*.*");
    if (const auto chosen = lab_.dialogs().getOpenFileName(this, request))
        bitmapFile_ = *chosen;
}

void frmVideoPatterns::runVideoPattern()
{
    // One pattern at a time: the display belongs to the one that runs.
    if (running_)
        return;
    PatternCall call = makePatternCall(state_, cmboMode->currentIndex(), cmboRefreshRate->currentIndex(),
                                       obPattern->selectedIndex());
    if (patternChosen)
        patternChosen();
    if (!renderer_.load()) {
        warn(QStringLiteral("The pattern renderer cannot be loaded:\r") + renderer_.error().replace(u'\n', u'\r'));
        return;
    }
    if (call.pattern == kUseBitmapPattern) {
        // "Use Bitmap" insists on a file.
        while (bitmapFile_.isEmpty())
            cmdBrowse_Click();
        const QString problem = bitmapProblem(bitmapFile_);
        if (!problem.isEmpty()) {
            warn(QStringLiteral("The bitmap file %1 cannot be read: %2.")
                     .arg(QDir::toNativeSeparators(bitmapFile_), problem));
            return;
        }
        call.bitmapFile = QFile::encodeName(bitmapFile_);
    }
    running_ = true;
    std::int32_t result = 0;
    {
        const HotKeyTarget keysGoHere(lab_);
        result = renderer_.draw(call, &HotKeyTarget::callback);
    }
    running_ = false;
    if (result != 0)
        warn(QStringLiteral("The pattern could not be shown: %1.").arg(renderer_.drawError()));
}

void frmVideoPatterns::refreshDisplayTiming()
{
    const int mode = cmboMode->currentIndex();
    const int rate = cmboRefreshRate->currentIndex();
    const VideoMode wanted = mode >= 0 ? kVideoModes[static_cast<std::size_t>(mode)] : VideoMode{0, 0};
    const int hz = rate >= 0 ? kRefreshRates[static_cast<std::size_t>(rate)] : 0;
    timing_.reset();
    standard_.reset();
    QString text;
    if (!renderer_.load()) {
        text = QStringLiteral("Display timing unknown: the pattern renderer cannot be loaded.");
        lblDisplayTiming->setToolTip(renderer_.error());
    } else if (auto t = renderer_.displayTiming(wanted.width, wanted.height, hz)) {
        timing_ = t;
        text = displayTimingText(*t, wanted.width, wanted.height);
        lblDisplayTiming->setToolTip(QString());
        // Without the display's own pixel clock, the standard timing of the
        // mode it runs is the best guess at its line.
        if (t->known && (t->pixelClockHz <= 0 || t->totalPixelsPerLine <= 0) && t->refreshHz > 0) {
            standard_ = standardTimingFor(t->width, t->height, t->refreshHz);
            if (standard_ && !u1Figures(*standard_).usable)
                standard_.reset();
        }
        if (standard_) {
            text += QStringLiteral("\nStandard mode %1: %2 pixels/line, Hsync %3 kHz (offered for U1)")
                        .arg(QString::fromStdString(standard_->name))
                        .arg(standard_->totalPixels)
                        .arg(QString::fromStdString(hsyncText(standard_->lineKHz())));
        }
    } else {
        text = QStringLiteral("Display timing unknown: this renderer does not report it.");
        lblDisplayTiming->setToolTip(QString());
    }
    lblDisplayTiming->setText(text);
    cmdUseForU1->setEnabled((timing_ && totalUsableForU1(*timing_)) || standard_);
}

void frmVideoPatterns::cmdUseForU1_Click()
{
    MainWindow* window = lab_.mainWindow();
    if (!window)
        return;
    QString hsync;
    int total = 0;
    if (timing_ && totalUsableForU1(*timing_)) {
        hsync = hsyncKhzText(*timing_);
        total = timing_->totalPixelsPerLine;
    } else if (standard_) {
        hsync = QString::fromStdString(hsyncText(standard_->lineKHz()));
        total = standard_->totalPixels;
    } else {
        return;
    }
    // The Hsync first, so the calculator update after the write already
    // computes with it. The main window keeps its copy for setup files.
    window->txtHsync->setText(hsync);
    if (lab_.links.setCalculatorHsync)
        lab_.links.setCalculatorHsync(hsync);
    // The total goes in as if typed: the box converts it to the divider.
    DevicePanel* u1 = window->inPanel();
    u1->txtHorizTotal->setText(QString::number(total));
    if (lab_.settings.autoWrite)
        u1->cmdWriteFdBkDiv(false);
    else if (lab_.links.calculatorUpdate)
        lab_.links.calculatorUpdate();
}

} // namespace zvx
