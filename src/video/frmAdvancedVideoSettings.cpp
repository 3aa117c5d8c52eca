#include "video/frmAdvancedVideoSettings.h"

#include "device/NumberText.h"
#include "mainwindow/ControlRule.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/Spinner.h"

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zvx {

namespace {

std::int32_t boxValue(const QLineEdit* box)
{
    return toInt32(textValue(box->text().toStdString()));
}

void showSwatch(QLabel* swatch, std::int32_t color)
{
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, qColorOf(color));
    swatch->setPalette(p);
}

QLabel* swatchLabel(QWidget* parent, const char* name)
{
    auto* swatch = new QLabel(parent);
    swatch->setObjectName(QString::fromLatin1(name));
    swatch->setAutoFillBackground(true);
    swatch->setFrameShape(QFrame::Box);
    swatch->setFixedSize(32, 20);
    return swatch;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

frmAdvancedVideoSettings::frmAdvancedVideoSettings(Lab& lab, VideoPatternState& state,
                                                   std::function<void()> execute, QWidget* parent)
    : QWidget(parent, Qt::Window), lab_(lab), state_(state), execute_(std::move(execute))
{
    setObjectName(QStringLiteral("frmAdvancedVideoSettings"));
    setWindowTitle(QStringLiteral("Advanced Video Settings"));
    buildControls();
    Form_Load();
}

void frmAdvancedVideoSettings::buildControls()
{
    auto* title = new QLabel(QStringLiteral("Advanced Settings"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    title->setFont(big);

    // A number box with its spinner: every change of the text goes into its
    // field at once; the spinner steps the number within its range.
    auto numberBox = [this](QGridLayout* grid, int row, const QString& caption, const char* boxName,
                            const char* spinnerName, const QString& designText, std::int32_t videoSettings::*field,
                            int low, int high, QLineEdit*& box, Spinner*& spinner) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        box = new QLineEdit(designText, this);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setMaximumWidth(70);
        spinner = new Spinner(this);
        spinner->setObjectName(QString::fromLatin1(spinnerName));
        spinner->setFixedWidth(18);
        grid->addWidget(box, row, 1);
        grid->addWidget(spinner, row, 2);
        QLineEdit* b = box;
        onTextChange(b, [this, b, field] { state_.settings.*field = boxValue(b); });
        auto step = [b, low, high](int by) {
            const std::int32_t v = std::clamp<std::int64_t>(std::int64_t{boxValue(b)} + by, low, high);
            b->setText(QString::number(v));
        };
        connect(spinner, &Spinner::upClicked, this, [step] { step(1); });
        connect(spinner, &Spinner::downClicked, this, [step] { step(-1); });
    };
    auto colorRow = [this](QGridLayout* grid, int row, const char* buttonName, const QString& caption,
                           const char* swatchName, std::int32_t videoSettings::*field, QPushButton*& b,
                           QLabel*& swatch) {
        b = button(this, buttonName, caption);
        swatch = swatchLabel(this, swatchName);
        grid->addWidget(b, row, 0, 1, 2);
        grid->addWidget(swatch, row, 2);
        QLabel* s = swatch;
        connect(b, &QPushButton::clicked, this, [this, field, s] { chooseColor(state_.settings.*field, s); });
    };

    auto* plain = new QGroupBox(QStringLiteral("Non-Color Bar Parameters"), this);
    plain->setObjectName(QStringLiteral("fraNonColorBar"));
    auto* plainGrid = new QGridLayout(plain);
    numberBox(plainGrid, 0, QStringLiteral("Line / Box Size"), "txtCheckBoxSize", "UpDownCheckBoxSize",
              QStringLiteral("16"), &videoSettings::checkBoxSize, 1, 2048, txtCheckBoxSize, UpDownCheckBoxSize);
    colorRow(plainGrid, 1, "cmdForegroundColor", QStringLiteral("Set Foreground Color ..."), "lblForeColorIndicator",
             &videoSettings::foreColor, cmdForegroundColor, lblForeColorIndicator);
    colorRow(plainGrid, 2, "cmdBackgroundColor", QStringLiteral("Set BackgroundColor ..."), "lblBackColorIndicator",
             &videoSettings::backColor, cmdBackgroundColor, lblBackColorIndicator);

    auto* bars = new QGroupBox(QStringLiteral("Color Bar Parameters"), this);
    bars->setObjectName(QStringLiteral("fraColorBar"));
    auto* barGrid = new QGridLayout(bars);
    colorRow(barGrid, 0, "cmdSeedColor", QStringLiteral("Set Seed Color ..."), "lblSeedColorIndicator",
             &videoSettings::seedColor, cmdSeedColor, lblSeedColorIndicator);
    numberBox(barGrid, 1, QStringLiteral("X-Size"), "txtXsize", "UpDown1", QStringLiteral("10"),
              &videoSettings::xSize, 1, 2048, txtXsize, UpDown1);
    numberBox(barGrid, 2, QStringLiteral("Y-Size"), "txtYsize", "UpDown2", QStringLiteral("10"),
              &videoSettings::ySize, 1, 2048, txtYsize, UpDown2);
    numberBox(barGrid, 3, QStringLiteral("Red Increment"), "txtRedIncr", "UpDownRedIncr", QStringLiteral("1"),
              &videoSettings::redIncr, -255, 255, txtRedIncr, UpDownRedIncr);
    numberBox(barGrid, 4, QStringLiteral("Green Increment"), "txtGrnIncr", "UpDownGrnIncr", QStringLiteral("0"),
              &videoSettings::grnIncr, -255, 255, txtGrnIncr, UpDownGrnIncr);
    numberBox(barGrid, 5, QStringLiteral("Blue Increment"), "txtBlueIncr", "UpDownBlueIncr", QStringLiteral("0"),
              &videoSettings::blueIncr, -255, 255, txtBlueIncr, UpDownBlueIncr);
    // A typed or stepped X size is the user's: no more automatic sizing.
    onTextChange(txtXsize, [this] { state_.autoXsize = false; });

    cmdExecute = button(this, "cmdExecute", QStringLiteral("Execute"));
    cmdOK = button(this, "cmdOK", QStringLiteral("Close"));
    connect(cmdExecute, &QPushButton::clicked, this, [this] {
        if (execute_)
            execute_();
    });
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdExecute);
    buttons->addStretch();
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(plain);
    layout->addWidget(bars);
    layout->addLayout(buttons);
}

void frmAdvancedVideoSettings::Form_Load()
{
    // Each text that differs from the design text is a change like any
    // other, so a record whose X size differs from 10 (set by an earlier
    // pattern run) switches automatic X sizing off here.
    const videoSettings& s = state_.settings;
    txtCheckBoxSize->setText(QString::number(s.checkBoxSize));
    txtXsize->setText(QString::number(s.xSize));
    txtYsize->setText(QString::number(s.ySize));
    txtRedIncr->setText(QString::number(s.redIncr));
    txtGrnIncr->setText(QString::number(s.grnIncr));
    txtBlueIncr->setText(QString::number(s.blueIncr));
    showSwatch(lblForeColorIndicator, s.foreColor);
    showSwatch(lblBackColorIndicator, s.backColor);
    showSwatch(lblSeedColorIndicator, s.seedColor);
}

void frmAdvancedVideoSettings::showAutomaticXsize()
{
    if (!state_.autoXsize)
        return;
    const QSignalBlocker quiet(txtXsize);
    txtXsize->setText(QString::number(state_.settings.xSize));
}

void frmAdvancedVideoSettings::chooseColor(std::int32_t& field, QLabel* swatch)
{
    const auto chosen = lab_.dialogs().getColor(this, qColorOf(field));
    if (!chosen)
        return;
    field = settingsColorOf(*chosen);
    showSwatch(swatch, field);
}

} // namespace zvx
