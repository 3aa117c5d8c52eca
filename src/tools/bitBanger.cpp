#include "tools/bitBanger.h"

#include "mainwindow/ControlRule.h"
#include "mainwindow/Lab.h"
#include "transport/I2cBus.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zvx {

using pins::PortRegister;

namespace {

std::uint32_t toBgr(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

} // namespace

bitBanger::bitBanger(Lab& app, QWidget* parent) : QMainWindow(parent), app_(app)
{
    setObjectName(QStringLiteral("bitBanger"));
    setWindowTitle(QStringLiteral("zvx7246 Lab Tool"));
    buildControls();
}

void bitBanger::buildControls()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* close = file->addAction(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("mnuClose"));
    connect(close, &QAction::triggered, this, &QWidget::hide);

    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* outer = new QVBoxLayout(client);
    auto* title = new QLabel(QStringLiteral("Parallel Port Bit-Banger for the zvx7246"), client);
    title->setObjectName(QStringLiteral("Label1"));
    QFont serif(QStringLiteral("Times New Roman"));
    serif.setStyleHint(QFont::Serif);
    serif.setPointSizeF(title->font().pointSizeF() * 1.5);
    title->setFont(serif);
    outer->addWidget(title, 0, Qt::AlignHCenter);
    auto* line = new QFrame(client);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    outer->addWidget(line);

    auto* frames = new QHBoxLayout;
    outer->addLayout(frames);

    const QColor buttonText = palette().color(QPalette::ButtonText);
    auto frame = [&](const char* name, const char* caption, const auto& boxes, const auto& pinsOfFrame,
                     const char* writeName, const char* writeCaption, const char* readName,
                     const char* readCaption, QPushButton*& writeButton, QPushButton*& readButton) {
        auto* f = new QGroupBox(QString::fromLatin1(caption), client);
        f->setObjectName(QString::fromLatin1(name));
        auto* col = new QVBoxLayout(f);
        for (const pins::ImageBox& imageBox : boxes) {
            auto* box = new QCheckBox(QString::fromLatin1(imageBox.caption), f);
            box->setObjectName(QString::fromLatin1(imageBox.name));
            // The caption stands left of the box.
            box->setLayoutDirection(Qt::RightToLeft);
            col->addWidget(box, 0, Qt::AlignLeft);
            const pins::ImageBox* s = &imageBox;
            onCheckChange(box, [this, s, box] {
                std::uint8_t& image = app_.settings.pinTesterBytes[static_cast<int>(s->reg)];
                image = pins::applyBox(image, *s, box->isChecked());
            });
        }
        writeButton = new QPushButton(QString::fromLatin1(writeCaption), f);
        writeButton->setObjectName(QString::fromLatin1(writeName));
        readButton = new QPushButton(QString::fromLatin1(readCaption), f);
        readButton->setObjectName(QString::fromLatin1(readName));
        col->addWidget(writeButton);
        col->addWidget(readButton);
        auto* pinRow = new QHBoxLayout;
        for (const pins::PinIndicator& pin : pinsOfFrame) {
            auto* box = new QLineEdit(QString::fromLatin1(pin.caption), f);
            box->setObjectName(QString::fromLatin1(pin.name));
            box->setReadOnly(true);
            box->setFocusPolicy(Qt::NoFocus);
            box->setAlignment(Qt::AlignCenter);
            box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("888")) + 10);
            const bool plain = pin.name == std::string_view("pin9Display") || pin.name == std::string_view("pin17Display");
            setIndicatorColor(box, plain ? toBgr(buttonText) : app_.settings.unlockedColor);
            pinRow->addWidget(box);
            indicators_.push_back({&pin, box});
        }
        col->addLayout(pinRow);
        col->addStretch(1);
        frames->addWidget(f);
    };
    frame("fmData", "Data Control", pins::kDataBoxes, pins::kDataPins, "cmdWriteData", "Write Data Byte",
          "cmdReadData", "Read Status Byte", cmdWriteData, cmdReadData);
    frame("fmStatus", "Status", pins::kStatusBoxes, pins::kStatusPins, "cmdWriteStatus", "Write Status Byte",
          "cmdReadStatus", "Read Status Byte", cmdWriteStatus, cmdReadStatus);
    frame("fmIO", "I/O Control", pins::kControlBoxes, pins::kControlPins, "cmdWriteIO", "Write I/O Byte",
          "cmdReadIO", "Read I/O Byte", cmdWriteIO, cmdReadIO);

    connect(cmdWriteData, &QPushButton::clicked, this, [this] { cmdWriteData_Click(); });
    connect(cmdWriteStatus, &QPushButton::clicked, this, [this] { cmdWriteStatus_Click(); });
    connect(cmdWriteIO, &QPushButton::clicked, this, [this] { cmdWriteIO_Click(); });
    connect(cmdReadData, &QPushButton::clicked, this, [this] { cmdReadData_Click(); });
    connect(cmdReadStatus, &QPushButton::clicked, this, [this] { cmdReadStatus_Click(); });
    connect(cmdReadIO, &QPushButton::clicked, this, [this] { cmdReadIO_Click(); });
}

std::uint8_t bitBanger::image(PortRegister reg) const
{
    return app_.settings.pinTesterBytes[static_cast<int>(reg)];
}

std::uint16_t bitBanger::address(PortRegister reg) const
{
    switch (reg) {
    case PortRegister::Data: return ports_.data;
    case PortRegister::Status: return ports_.status;
    case PortRegister::Control: return ports_.control;
    }
    return ports_.data;
}

void bitBanger::write(PortRegister reg)
{
    // The whole image, bits never touched included.
    app_.bus().port().portOut(address(reg), image(reg));
    read(reg);
}

void bitBanger::read(PortRegister reg)
{
    const std::uint8_t value = app_.bus().port().portIn(address(reg));
    for (const Indicator& i : indicators_)
        if (i.pin->reg == reg)
            setIndicatorColor(i.box, pins::pinHigh(*i.pin, value) ? app_.settings.unlockedColor
                                                                  : app_.settings.pinClearColor);
}

void bitBanger::cmdWriteData_Click() { write(PortRegister::Data); }
void bitBanger::cmdWriteStatus_Click() { write(PortRegister::Status); }
void bitBanger::cmdWriteIO_Click() { write(PortRegister::Control); }
void bitBanger::cmdReadData_Click() { read(PortRegister::Data); }
void bitBanger::cmdReadStatus_Click() { read(PortRegister::Status); }
void bitBanger::cmdReadIO_Click() { read(PortRegister::Control); }

void bitBanger::setIndicatorColor(QLineEdit* box, std::uint32_t color)
{
    box->setProperty("backColor", static_cast<uint>(color));
    const QColor c(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    box->setStyleSheet(QStringLiteral("background: %1; color: #FFFF00;").arg(c.name()));
}

} // namespace zvx
