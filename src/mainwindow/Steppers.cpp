#include "mainwindow/Steppers.h"

#include "device/NumberText.h"
#include "device/RegisterCodecs.h"

#include <QCoreApplication>
#include <QThread>

#include <cmath>
#include <limits>

namespace zvx {

namespace {

double readDecimal(const QString& s)
{
    return decimalTextValue(s.toStdString());
}

// The boxes hold at most three hex digits; anything longer saturates.
std::int64_t readHex(const QString& s)
{
    const double v = hexTextValue(s.toStdString());
    return v > double(std::numeric_limits<std::int32_t>::max()) ? std::numeric_limits<std::int32_t>::max()
                                                                 : std::int64_t(v);
}

// Plain upper-case hex without leading zeros ("0", "7", "3F").
QString hexText(std::int64_t value)
{
    return QString::fromStdString(plainHex(int(value)));
}

// A decimal number as the boxes show it: whole numbers without a point.
QString decimalText(double value)
{
    if (value == std::trunc(value) && std::abs(value) < 1e15)
        return QString::number(std::int64_t(value));
    return QString::number(value, 'g', 15).toUpper();
}

void keepRightmost(StepperBox& box, qsizetype limit)
{
    const QString t = box.text();
    if (t.size() > limit)
        box.setText(t.right(limit));
}

} // namespace


// ---- Single-field hex steppers ----

void upClicker(StepperBox& box, const QString& limitText)
{
    const std::int64_t v = readHex(box.text());
    const std::int64_t limit = readHex(limitText);
    box.setText(v < limit ? hexText(v + 1) : QStringLiteral("0"));
}

void downClicker(StepperBox& box, const QString& limitText)
{
    const std::int64_t v = readHex(box.text());
    const std::int64_t limit = readHex(limitText);
    if (v == 0)
        box.setText(limitText);
    else if (v > limit)
        box.setText(hexText(limit));
    else
        box.setText(hexText(v - 1));
}

// ---- Oscillator divider ----

void oscDivStepUp(StepperBox& box)
{
    const double v = readDecimal(box.text());
    if (v == 129 || v == 0 || v == 1)
        box.setText(QStringLiteral("2"));
    else
        box.setText(decimalText(v + 1));
}

void oscDivStepDown(StepperBox& box)
{
    const double v = readDecimal(box.text());
    box.setText(v >= 3 ? decimalText(v - 1) : QStringLiteral("129"));
}

// ---- Feedback divider ----

namespace {

void setTotalFromBoxes(StepperBox& totalBox, const StepperBox& lowBox, const StepperBox& highBox)
{
    totalBox.setText(horizTotalText(lowBox.text(), highBox.text()));
}

} // namespace

void upClicker2(StepperBox& totalBox, StepperBox& lowBox, const QString& lowLimitText,
                StepperBox& highBox, const QString& highLimitText, int step)
{
    const std::int64_t low = readHex(lowBox.text());
    const std::int64_t high = readHex(highBox.text());
    const std::int64_t lowLimit = readHex(lowLimitText);
    const std::int64_t highLimit = readHex(highLimitText);

    if (low + step - 1 < lowLimit) {
        lowBox.setText(hexText(low + step));
    } else {
        // Carry into the high digit, which wraps from its limit to 0.
        lowBox.setText(hexText((step - 1) - (lowLimit - low)));
        highBox.setText(high < highLimit ? hexText(high + 1) : QStringLiteral("0"));
    }
    // A divider of 0 is never stepped to.
    if (readHex(lowBox.text()) == 0 && readHex(highBox.text()) == 0)
        lowBox.setText(QStringLiteral("01"));
    setTotalFromBoxes(totalBox, lowBox, highBox);
}

void downClicker2(StepperBox& totalBox, StepperBox& lowBox, const QString& lowLimitText,
                  StepperBox& highBox, const QString& highLimitText, int step)
{
    const std::int64_t low = readHex(lowBox.text());
    const std::int64_t high = readHex(highBox.text());
    const std::int64_t lowLimit = readHex(lowLimitText);
    const std::int64_t highLimit = readHex(highLimitText);

    if (low - step < 0) {
        // Borrow from the high digit, which wraps from 0 to its limit.
        lowBox.setText(hexText(lowLimit - step + 1));
        if (high == 0)
            highBox.setText(hexText(highLimit));
        else if (high <= highLimit)
            highBox.setText(hexText(high - 1));
    } else {
        lowBox.setText(low > lowLimit ? hexText(lowLimit) : hexText(low - step));
    }
    // Stepping down onto divider 0 wraps to the top instead.
    if (readHex(lowBox.text()) == 0 && readHex(highBox.text()) == 0) {
        lowBox.setText(QStringLiteral("FF"));
        highBox.setText(QStringLiteral("F"));
    }
    setTotalFromBoxes(totalBox, lowBox, highBox);
}

// ---- Total pixels per line ----

void turboUp(StepperBox& totalBox)
{
    const double t = readDecimal(totalBox.text()) + 8;
    totalBox.setText(t <= kHorizTotalMax ? decimalText(t) : QString::number(kHorizTotalMax));
}

void turboDn(StepperBox& totalBox)
{
    const double t = readDecimal(totalBox.text()) - 8;
    totalBox.setText(t >= 1 ? decimalText(t) : QStringLiteral("1"));
}

std::array<QString, 4> horizTotal_decToRegisters(std::uint32_t n)
{
    std::array<QString, 4> texts;
    const QString hex = QString::number(n, 16).toUpper();
    for (qsizetype i = 0; i < hex.size() && i < qsizetype(texts.size()); ++i)
        texts[std::size_t(i)] = hex[hex.size() - 1 - i];

    QString low = texts[1] + texts[0];
    if (low.size() == 1)
        low.prepend(u'0');
    texts[0] = low;
    texts[1] = texts[2];
    return texts;
}

void horizTotal_textToRegisters(StepperBox& totalBox, StepperBox& lowBox, StepperBox& highBox)
{
    keepRightmost(totalBox, 4);
    const QString s = totalBox.text();
    if (s.isEmpty())
        return;

    const double v = readDecimal(s);
    const double n = v > 7 ? roundHalfEven(v - 8) : -1;
    if (n < 0) {
        // Totals up to 7 (and those just above 7 that round down to it)
        // give the smallest divider.
        lowBox.setText(QStringLiteral("01"));
        highBox.setText(QStringLiteral("0"));
        return;
    }
    // Totals too large for a 32-bit count saturate; only 12 bits are kept.
    const auto count = n > double(std::numeric_limits<std::uint32_t>::max())
                           ? std::numeric_limits<std::uint32_t>::max()
                           : std::uint32_t(n);
    const auto digits = horizTotal_decToRegisters(count);
    lowBox.setText(digits[0]);
    highBox.setText(digits[1]);
}

QString horizTotalText(const QString& lowText, const QString& highText)
{
    return QString::number(readHex(highText) * 256 + readHex(lowText) + 8);
}

void showHorizTotal(StepperBox& totalBox, const StepperBox& lowBox, const StepperBox& highBox)
{
    setTotalFromBoxes(totalBox, lowBox, highBox);
}

void horizTotal_clampForWrite(StepperBox& totalBox, StepperBox& lowBox, StepperBox& highBox)
{
    if (toInt16(readDecimal(totalBox.text())) > kHorizTotalMax) {
        totalBox.setText(QString::number(kHorizTotalMax));
        highBox.setText(QStringLiteral("F"));
        lowBox.setText(QStringLiteral("F7"));
    }
    if (toInt16(readDecimal(totalBox.text())) < kHorizTotalMin) {
        totalBox.setText(QString::number(kHorizTotalMin));
        highBox.setText(QStringLiteral("0"));
        lowBox.setText(QStringLiteral("00"));
    }
}

// ---- Auto-repeat ----

int turboStepAfter(int count)
{
    if (count >= 100)
        return 1000;
    if (count >= 60)
        return 500;
    if (count >= 30)
        return 50;
    if (count >= 10)
        return 2;
    return 1;
}

void EventLoopTurboPacing::sleepTick()
{
    QThread::msleep(std::uint64_t(kTurboTick.count()));
}

void EventLoopTurboPacing::processPendingEvents()
{
    QCoreApplication::processEvents();
}

namespace {

// One direction of the repeat; `sign` is +1 for up, -1 for down.
void turboRepeat(StepperBox& totalBox, bool& keepGoing, bool& running, TurboPacing& pacing, int sign)
{
    if (running)
        return;
    running = true;
    keepGoing = true;
    const int top = kHorizTotalMax;
    const int bottom = 1;
    const int wrapFrom = sign > 0 ? top : bottom;
    const int wrapTo = sign > 0 ? bottom : top;
    const int bound = sign > 0 ? top : bottom;

    int count = 0;
    int step = 1;
    while (keepGoing) {
        const double v = readDecimal(totalBox.text());
        const double next = v + sign * step;
        if (v == wrapFrom && step == 1 && count == 0) {
            totalBox.setText(QString::number(wrapTo));
        } else if (sign > 0 ? next > bound : next < bound) {
            totalBox.setText(QString::number(bound));
            keepGoing = false;
        } else {
            totalBox.setText(QString::number(toInt16(next)));
            ++count;
            step = turboStepAfter(count);
            pacing.sleepTick();
        }
        pacing.processPendingEvents();
    }
    running = false;
}

} // namespace

void turboRepeatUp(StepperBox& totalBox, bool& turboKeepGoing, bool& turboUpRunning, TurboPacing& pacing)
{
    turboRepeat(totalBox, turboKeepGoing, turboUpRunning, pacing, +1);
}

void turboRepeatDn(StepperBox& totalBox, bool& turboKeepGoing, bool& turboDnRunning, TurboPacing& pacing)
{
    turboRepeat(totalBox, turboKeepGoing, turboDnRunning, pacing, -1);
}

} // namespace zvx
