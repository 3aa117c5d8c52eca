#include "calculator/frmVideoModes.h"

#include "mainwindow/ControlRule.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zvx {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString mhz(double value) { return QString::number(value, 'f', 3) + QStringLiteral(" MHz"); }

QString sourceName(TimingSource s)
{
    switch (s) {
    case TimingSource::Dmt: return QStringLiteral("VESA DMT");
    case TimingSource::Cta861: return QStringLiteral("CTA-861");
    case TimingSource::Cvt: return QStringLiteral("CVT");
    }
    return {};
}

// "1024x768@60    total 1344, Hsync 48.363 kHz, 65.000 MHz, VESA DMT"
QString itemText(const VideoTiming& t, const U1Figures& u1)
{
    QString text = QStringLiteral("%1  total %2, Hsync %3 kHz, %4, %5")
                       .arg(qs(t.name), -18)
                       .arg(t.totalPixels)
                       .arg(qs(hsyncText(t.lineKHz())), mhz(t.pixelClockMHz), sourceName(t.source));
    if (t.reducedBlanking)
        text += QStringLiteral(" reduced blanking");
    if (!u1.usable)
        text += QStringLiteral(" (not for U1: %1)").arg(qs(u1.reason));
    return text;
}

} // namespace

frmVideoModes::frmVideoModes(Lab& lab, QWidget* parent) : QDialog(parent), lab_(lab)
{
    setObjectName(QStringLiteral("frmVideoModes"));
    setWindowTitle(QStringLiteral("Video Modes"));

    auto* find = new QLabel(QStringLiteral("Find:"), this);
    find->setObjectName(QStringLiteral("lblModeFilter"));
    txtModeFilter = new QLineEdit(this);
    txtModeFilter->setObjectName(QStringLiteral("txtModeFilter"));
    txtModeFilter->setPlaceholderText(QStringLiteral("1024, 720p, 1920x1080@50, 2560x1080@75rb"));
    txtModeFilter->setClearButtonEnabled(true);
    find->setBuddy(txtModeFilter);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(find);
    filterRow->addWidget(txtModeFilter, 1);

    lstModes = new QListWidget(this);
    lstModes->setObjectName(QStringLiteral("lstModes"));
    QFont fixedFont(QStringLiteral("Monospace"));
    fixedFont.setStyleHint(QFont::TypeWriter);
    lstModes->setFont(fixedFont);
    lstModes->setMinimumSize(760, 300);

    lblModeTiming = new QLabel(this);
    lblModeTiming->setObjectName(QStringLiteral("lblModeTiming"));
    lblModeTiming->setWordWrap(true);
    lblModeTiming->setTextFormat(Qt::PlainText);
    lblModeTiming->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // The pixel clock is the same for every PSD; the VCO runs PSD times faster.
    auto* psdFrame = new QGroupBox(QStringLiteral("PSD (VCO speed)"), this);
    psdFrame->setObjectName(QStringLiteral("fraModePSD"));
    auto* psdRow = new QHBoxLayout(psdFrame);
    obModePSD = new OptionGroup(this);
    for (std::size_t i = 0; i < obModePSDButtons.size(); ++i) {
        auto* b = new QRadioButton(QString::number(kU1PsdRatios[i]), psdFrame);
        b->setObjectName(QStringLiteral("obModePSD_%1").arg(i));
        obModePSD->add(static_cast<int>(i), b);
        obModePSDButtons[i] = b;
        psdRow->addWidget(b);
    }
    const MainWindow* main = lab_.mainWindow();
    const int psdNow = main ? main->inPanel()->obPSD->selectedIndex() : -1;
    obModePSD->select(psdNow >= 0 ? psdNow : 0);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(lstModes, 1);
    layout->addWidget(lblModeTiming);
    layout->addWidget(psdFrame);
    layout->addLayout(buttons);

    connect(txtModeFilter, &QLineEdit::textChanged, this, [this] { txtModeFilter_Change(); });
    connect(lstModes, &QListWidget::currentRowChanged, this, [this] { lstModes_Click(); });
    connect(lstModes, &QListWidget::itemActivated, this, [this] { cmdOK_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtModeFilter_Change();
}

void frmVideoModes::txtModeFilter_Change()
{
    listed_ = searchTimings(txtModeFilter->text().toStdString());
    lstModes->clear();
    int firstUsable = -1;
    for (const VideoTiming& t : listed_) {
        const U1Figures u1 = u1Figures(t);
        auto* item = new QListWidgetItem(itemText(t, u1), lstModes);
        if (!u1.usable) {
            // Greyed and not selectable: the divider cannot make it.
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
            item->setToolTip(qs(u1.reason));
        } else if (firstUsable < 0) {
            firstUsable = lstModes->count() - 1;
        }
    }
    lstModes->setCurrentRow(firstUsable);
    lstModes_Click();
}

std::optional<VideoTiming> frmVideoModes::selectedTiming() const
{
    const int row = lstModes->currentRow();
    if (row < 0 || row >= static_cast<int>(listed_.size()))
        return std::nullopt;
    const VideoTiming& t = listed_[static_cast<std::size_t>(row)];
    if (!u1Figures(t).usable)
        return std::nullopt;
    return t;
}

void frmVideoModes::lstModes_Click()
{
    const std::optional<VideoTiming> t = selectedTiming();
    cmdOK->setEnabled(t.has_value());
    if (!t) {
        lblModeTiming->setText(listed_.empty() ? QStringLiteral("No mode matches.") : QString());
        for (std::size_t i = 0; i < obModePSDButtons.size(); ++i)
            obModePSDButtons[i]->setText(QString::number(kU1PsdRatios[i]));
        return;
    }
    const U1Figures u1 = u1Figures(*t);
    lblModeTiming->setText(QStringLiteral("%1\nU1: Hsync %2 kHz, Total Pixels/Line %3 (divider %4), pixel clock %5")
                               .arg(qs(describeTiming(*t)), qs(hsyncText(t->lineKHz())))
                               .arg(u1.total)
                               .arg(u1.divider)
                               .arg(mhz(u1.pixelClockMHz)));
    for (std::size_t i = 0; i < obModePSDButtons.size(); ++i)
        obModePSDButtons[i]->setText(QStringLiteral("%1: %2").arg(kU1PsdRatios[i]).arg(mhz(u1.vcoMHz[i])));
}

void frmVideoModes::cmdOK_Click()
{
    const std::optional<VideoTiming> t = selectedTiming();
    if (!t)
        return;
    accept();
    useForU1(*t, std::max(0, obModePSD->selectedIndex()));
}

void frmVideoModes::useForU1(const VideoTiming& timing, int psdIndex)
{
    MainWindow* main = lab_.mainWindow();
    if (!main)
        return;
    DevicePanel* u1 = main->inPanel();
    // The Hsync first, so that every calculator update after it computes
    // with the mode's line frequency; the main window keeps its copy for
    // setup files.
    const QString hsync = qs(hsyncText(timing.lineKHz()));
    main->txtHsync->setText(hsync);
    if (lab_.links.setCalculatorHsync)
        lab_.links.setCalculatorHsync(hsync);
    // A PSD option clicked: with automatic write on, register 1 is written.
    u1->obPSD->select(psdIndex);
    // The total goes in as if typed: the box converts it to the divider.
    u1->txtHorizTotal->setText(QString::number(u1Figures(timing).total));
    if (lab_.settings.autoWrite)
        u1->cmdWriteFdBkDiv(false);
    else if (lab_.links.calculatorUpdate)
        lab_.links.calculatorUpdate();
}

} // namespace zvx
