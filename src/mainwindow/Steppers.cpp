#include "mainwindow/Steppers.h"

#include <QCoreApplication>
#include <QThread>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace zvx {

namespace {

// ---- Stand-in for device/NumberText.h (same names, same rule) until that
// header is on main. A text is its leading number, 0 when it has none:
// leading blanks are skipped; "&H" starts a hex number, otherwise an
// optional sign, digits, one decimal point and an optional exponent are read
// up to the first other character.

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

double textValue(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    if (i + 1 < s.size() && s[i] == '&' && (s[i + 1] == 'H' || s[i + 1] == 'h')) {
        double v = 0;
        for (i += 2; i < s.size() && hexDigit(s[i]) >= 0; ++i)
            v = v * 16 + hexDigit(s[i]);
        return std::isfinite(v) ? v : std::numeric_limits<double>::max();
    }
    std::string num;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        num += s[i++];
    bool digits = false;
    bool point = false;
    for (; i < s.size() && (isDigit(s[i]) || (s[i] == '.' && !point)); ++i) {
        digits = digits || isDigit(s[i]);
        point = point || s[i] == '.';
        num += s[i];
    }
    if (!digits)
        return 0;
    // An exponent counts only with at least one digit after it.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            exp += s[j++];
        if (j < s.size() && isDigit(s[j])) {
            for (; j < s.size() && isDigit(s[j]); ++j)
                exp += s[j];
            num += exp;
        }
    }
    const double v = std::strtod(num.c_str(), nullptr);
    return std::isfinite(v) ? v : std::copysign(std::numeric_limits<double>::max(), v);
}

double hexTextValue(std::string_view s)
{
    return textValue("&H" + std::string(s));
}

double decimalTextValue(std::string_view s)
{
    return textValue(s);
}

double roundHalfEven(double v)
{
    return std::nearbyint(v);
}

std::int16_t toInt16(double v)
{
    const double r = roundHalfEven(v);
    if (std::isnan(r))
        return 0;
    if (r > 32767)
        return 32767;
    if (r < -32768)
        return -32768;
    return std::int16_t(r);
}

// ---- End of the stand-in.

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

void keepRightmost(StepperBox& box, qsizetype limit)
{
    const QString t = box.text();
    if (t.size() > limit)
        box.setText(t.right(limit));
}

} // namespace

QString plainHex(std::int64_t value)
{
    return QString::number(value, 16).toUpper();
}

QString decimalText(double value)
{
    if (value == std::trunc(value) && std::abs(value) < 1e15)
        return QString::number(std::int64_t(value));
    return QString::number(value, 'g', 15).toUpper();
}

// ---- Single-field hex steppers ----

void upClicker(StepperBox& box, const QString& limitText)
{
    const std::int64_t v = readHex(box.text());
    const std::int64_t limit = readHex(limitText);
    box.setText(v < limit ? plainHex(v + 1) : QStringLiteral("0"));
}

void downClicker(StepperBox& box, const QString& limitText)
{
    const std::int64_t v = readHex(box.text());
    const std::int64_t limit = readHex(limitText);
    if (v == 0)
        box.setText(limitText);
    else if (v > limit)
        box.setText(plainHex(limit));
    else
        box.setText(plainHex(v - 1));
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
    totalBox.setText(horizTotalFromDivider(lowBox.text(), highBox.text()));
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
        lowBox.setText(plainHex(low + step));
    } else {
        // Carry into the high digit, which wraps from its limit to 0.
        lowBox.setText(plainHex((step - 1) - (lowLimit - low)));
        highBox.setText(high < highLimit ? plainHex(high + 1) : QStringLiteral("0"));
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
        lowBox.setText(plainHex(lowLimit - step + 1));
        if (high == 0)
            highBox.setText(plainHex(highLimit));
        else if (high <= highLimit)
            highBox.setText(plainHex(high - 1));
    } else {
        lowBox.setText(low > lowLimit ? plainHex(lowLimit) : plainHex(low - step));
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
    totalBox.setText(t <= kMaxHorizTotal ? decimalText(t) : QString::number(kMaxHorizTotal));
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

QString horizTotalFromDivider(const QString& lowText, const QString& highText)
{
    return QString::number(readHex(highText) * 256 + readHex(lowText) + 8);
}

void showHorizTotal(StepperBox& totalBox, const StepperBox& lowBox, const StepperBox& highBox)
{
    setTotalFromBoxes(totalBox, lowBox, highBox);
}

void horizTotal_clampForWrite(StepperBox& totalBox, StepperBox& lowBox, StepperBox& highBox)
{
    if (toInt16(readDecimal(totalBox.text())) > kMaxHorizTotal) {
        totalBox.setText(QString::number(kMaxHorizTotal));
        highBox.setText(QStringLiteral("F"));
        lowBox.setText(QStringLiteral("F7"));
    }
    if (toInt16(readDecimal(totalBox.text())) < kMinHorizTotal) {
        totalBox.setText(QString::number(kMinHorizTotal));
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
    const int top = kMaxHorizTotal;
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
