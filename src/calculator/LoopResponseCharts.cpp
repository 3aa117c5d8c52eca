#include "calculator/LoopResponseCharts.h"

#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zvx {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const QColor kSampledColor(0xd0, 0x60, 0x00);
const QColor kSampledPhaseColor(0x1b, 0x6e, 0x1b);
const QColor kGrey(0xa0, 0xa0, 0xa0);

template <class Series>
Series* addSeries(QChart* chart, std::initializer_list<QAbstractAxis*> axes, Qt::PenStyle style = Qt::SolidLine)
{
    auto* s = new Series;
    chart->addSeries(s);
    for (QAbstractAxis* axis : axes)
        s->attachAxis(axis);
    if (style != Qt::SolidLine) {
        QPen pen = s->pen();
        pen.setStyle(style);
        pen.setWidthF(1.2);
        s->setPen(pen);
    }
    return s;
}

// A series of the sampled loop: dashed, orange (green for its phase).
QLineSeries* addSampled(QChart* chart, std::initializer_list<QAbstractAxis*> axes, const QString& name,
                        const QColor& colour = kSampledColor)
{
    auto* s = addSeries<QLineSeries>(chart, axes, Qt::DashLine);
    QPen pen = s->pen();
    pen.setColor(colour);
    s->setPen(pen);
    s->setName(name);
    return s;
}

QLogValueAxis* frequencyAxis(QChart* chart)
{
    auto* axis = new QLogValueAxis;
    axis->setBase(10);
    axis->setLabelFormat(QStringLiteral("%g"));
    axis->setTitleText(QStringLiteral("frequency (kHz)"));
    axis->setMinorTickCount(8);
    chart->addAxis(axis, Qt::AlignBottom);
    return axis;
}

QValueAxis* valueAxis(QChart* chart, const QString& title, Qt::Alignment side)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(axis, side);
    return axis;
}

void hideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* m : chart->legend()->markers(series))
        m->setVisible(false);
}

// A tick spacing of 1, 2 or 5 times a power of ten, about a fifth of the span.
double niceStep(double span)
{
    const double rough = span / 5;
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0})
        if (rough <= m * decade)
            return m * decade;
    return 10 * decade;
}

// A value axis from lo to hi with ticks at round numbers.
void setTicks(QValueAxis* axis, double lo, double hi)
{
    if (!(hi > lo))
        hi = lo + 1;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(niceStep(hi - lo));
    axis->setRange(lo, hi);
}

// A dB range in whole tens around the values, at most 160 dB tall and
// always holding 0 dB (the crossover) with 20 dB below it.
std::pair<double, double> decibelRange(double lo, double hi)
{
    hi = std::ceil(hi / 10) * 10;
    lo = std::floor(lo / 10) * 10;
    if (hi - lo > 160) {
        lo = std::max(lo, std::min(hi - 160, -20.0));
        hi = lo + 160;
    }
    if (hi - lo < 20)
        lo = hi - 20;
    return {lo, hi};
}

} // namespace

QString loopFigureText(const Figure& f)
{
    if (f.unit.empty() || f.value == "?")
        return q(f.value);
    if (f.unit == "deg")
        return q(f.value) + QStringLiteral("\u00B0");
    if (f.unit == "us")
        return q(f.value) + QStringLiteral(" \u00B5s");
    return q(f.value + " " + f.unit);
}

struct LoopResponseCharts::Curves {
    QLogValueAxis* openF = nullptr;
    QValueAxis* openDb = nullptr;
    QValueAxis* openDeg = nullptr;
    QLineSeries* openMag = nullptr;
    QLineSeries* openPhase = nullptr;
    QLineSeries* sampledMag = nullptr;
    QLineSeries* sampledPhase = nullptr;
    QLineSeries* zeroDb = nullptr;
    QLineSeries* crossover = nullptr;
    QLineSeries* nyquist = nullptr;
    QScatterSeries* margin = nullptr;

    QLogValueAxis* closedF = nullptr;
    QValueAxis* closedDb = nullptr;
    QLineSeries* closedMag = nullptr;
    QLineSeries* sampledClosed = nullptr;
    QLineSeries* minus3Db = nullptr;
    QScatterSeries* bandwidth = nullptr;
    QScatterSeries* peak = nullptr;

    QValueAxis* time = nullptr;
    QValueAxis* level = nullptr;
    QLineSeries* step = nullptr;
    QLineSeries* samples = nullptr;
    QLineSeries* bandHigh = nullptr;
    QLineSeries* bandLow = nullptr;
    QScatterSeries* overshoot = nullptr;
    QLineSeries* settling = nullptr;
    QColor settlingColor;
};

LoopResponseCharts::LoopResponseCharts() : curves_(std::make_unique<Curves>())
{
    area_ = new QWidget;
    area_->setObjectName(QStringLiteral("plotArea"));
    auto* stack = new QVBoxLayout(area_);
    stack->setContentsMargins(0, 0, 0, 0);
    auto view = [&](const char* name, const QString& title) {
        auto* chart = new QChart;
        chart->setTitle(title);
        chart->legend()->setAlignment(Qt::AlignRight);
        chart->setMargins(QMargins(4, 4, 4, 4));
        auto* v = new QChartView(chart, area_);
        v->setObjectName(QString::fromLatin1(name));
        v->setRenderHint(QPainter::Antialiasing);
        v->setMinimumHeight(230);
        stack->addWidget(v, 1);
        return chart;
    };
    Curves& c = *curves_;

    // Open loop: magnitude on the left axis, phase on the right, the
    // crossover as a dashed line, the phase margin as a point on the phase
    // and PFD/2, where the sampled loop's curves end, as a dotted line.
    QChart* open = view("chartOpenLoop", QStringLiteral("Open loop G, and L sampled at PFD"));
    c.openF = frequencyAxis(open);
    c.openDb = valueAxis(open, QStringLiteral("|G| (dB)"), Qt::AlignLeft);
    c.openDeg = valueAxis(open, QStringLiteral("phase (deg)"), Qt::AlignRight);
    c.openMag = addSeries<QLineSeries>(open, {c.openF, c.openDb});
    c.openMag->setName(QStringLiteral("|G|"));
    c.openPhase = addSeries<QLineSeries>(open, {c.openF, c.openDeg});
    c.openPhase->setName(QStringLiteral("phase"));
    c.sampledMag = addSampled(open, {c.openF, c.openDb}, QStringLiteral("|L|"));
    c.sampledPhase = addSampled(open, {c.openF, c.openDeg}, QStringLiteral("phase L"), kSampledPhaseColor);
    c.zeroDb = addSeries<QLineSeries>(open, {c.openF, c.openDb}, Qt::DotLine);
    hideFromLegend(open, c.zeroDb);
    c.crossover = addSeries<QLineSeries>(open, {c.openF, c.openDb}, Qt::DashLine);
    c.nyquist = addSeries<QLineSeries>(open, {c.openF, c.openDb}, Qt::DotLine);
    c.nyquist->setName(QStringLiteral("PFD/2"));
    c.margin = addSeries<QScatterSeries>(open, {c.openF, c.openDeg});
    c.margin->setMarkerSize(9);

    QChart* closed = view("chartClosedLoop", QStringLiteral("Closed loop H (output phase / N)"));
    c.closedF = frequencyAxis(closed);
    c.closedDb = valueAxis(closed, QStringLiteral("|H| (dB)"), Qt::AlignLeft);
    c.closedMag = addSeries<QLineSeries>(closed, {c.closedF, c.closedDb});
    c.closedMag->setName(QStringLiteral("|H|"));
    c.sampledClosed = addSampled(closed, {c.closedF, c.closedDb}, QStringLiteral("sampled"));
    c.minus3Db = addSeries<QLineSeries>(closed, {c.closedF, c.closedDb}, Qt::DotLine);
    c.minus3Db->setName(QStringLiteral("-3 dB"));
    c.bandwidth = addSeries<QScatterSeries>(closed, {c.closedF, c.closedDb});
    c.bandwidth->setMarkerSize(9);
    c.peak = addSeries<QScatterSeries>(closed, {c.closedF, c.closedDb});
    c.peak->setMarkerSize(9);

    // Step response with the 1 % band, the peak and the settling time, and
    // the sampled loop's samples.
    QChart* step = view("chartStep", QStringLiteral("Step response (output phase / N)"));
    c.time = valueAxis(step, QStringLiteral("time (ms)"), Qt::AlignBottom);
    c.level = valueAxis(step, QStringLiteral("output / final"), Qt::AlignLeft);
    c.step = addSeries<QLineSeries>(step, {c.time, c.level});
    c.step->setName(QStringLiteral("step"));
    c.samples = addSampled(step, {c.time, c.level}, QStringLiteral("sampled at PFD"));
    c.bandHigh = addSeries<QLineSeries>(step, {c.time, c.level}, Qt::DotLine);
    c.bandHigh->setName(QStringLiteral("\u00B11 %"));
    c.bandLow = addSeries<QLineSeries>(step, {c.time, c.level}, Qt::DotLine);
    c.bandLow->setPen(c.bandHigh->pen());
    hideFromLegend(step, c.bandLow);
    c.overshoot = addSeries<QScatterSeries>(step, {c.time, c.level});
    c.overshoot->setMarkerSize(9);
    c.settling = addSeries<QLineSeries>(step, {c.time, c.level}, Qt::DashLine);
    c.settlingColor = c.settling->pen().color();
}

LoopResponseCharts::~LoopResponseCharts() = default;

void LoopResponseCharts::draw(const LoopResponse& r)
{
    const std::vector<Figure>& fig = r.figures;
    Curves& c = *curves_;

    const double fLow = r.bode.front().fKHz, fHigh = r.bode.back().fKHz;
    double openLo = 1e300, openHi = -1e300, closedLo = 1e300, closedHi = -1e300, phaseLo = -180;
    QList<QPointF> openMag, openPhase, closedMag, sampledMag, sampledPhase, sampledClosed, step, samples;
    for (const BodePoint& p : r.bode) {
        openLo = std::min(openLo, p.openDb);
        openHi = std::max(openHi, p.openDb);
        closedLo = std::min(closedLo, p.closedDb);
        closedHi = std::max(closedHi, p.closedDb);
        openMag.append({p.fKHz, p.openDb});
        openPhase.append({p.fKHz, p.openDeg});
        closedMag.append({p.fKHz, p.closedDb});
        if (p.sampled) {
            phaseLo = std::min(phaseLo, p.sampledDeg);
            sampledMag.append({p.fKHz, p.sampledDb});
            sampledPhase.append({p.fKHz, p.sampledDeg});
            sampledClosed.append({p.fKHz, p.sampledClosedDb});
        }
    }
    for (std::size_t i = 0; i < r.step.t.size(); ++i)
        step.append({r.step.t[i] * 1e3, r.step.y[i]});
    for (std::size_t i = 0; i < r.sampled.t.size(); ++i)
        samples.append({r.sampled.t[i] * 1e3, r.sampled.y[i]});

    c.openF->setRange(fLow, fHigh);
    const auto [openBottom, openTop] = decibelRange(openLo, openHi);
    setTicks(c.openDb, openBottom, openTop);
    setTicks(c.openDeg, std::max(-360.0, std::floor(phaseLo / 30) * 30), -90);
    c.openMag->replace(openMag);
    c.openPhase->replace(openPhase);
    c.sampledMag->replace(sampledMag);
    c.sampledPhase->replace(sampledPhase);
    c.zeroDb->replace({{fLow, 0}, {fHigh, 0}});
    c.crossover->setName(QStringLiteral("crossover %1").arg(loopFigureText(fig[kCrossoverFigure])));
    c.crossover->replace({{r.crossoverKHz, openBottom}, {r.crossoverKHz, openTop}});
    const double nyquist = r.pfdKHz / 2;
    const bool nyquistShown = nyquist > fLow && nyquist < fHigh;
    c.nyquist->setVisible(nyquistShown);
    c.nyquist->replace({{nyquist, openBottom}, {nyquist, openTop}});
    c.margin->setName(QStringLiteral("phase margin %1").arg(loopFigureText(fig[kPhaseMarginFigure])));
    c.margin->replace({{r.crossoverKHz, r.phaseMarginDeg - 180}});

    c.closedF->setRange(fLow, fHigh);
    const auto [closedBottom, closedTop] = decibelRange(std::max(closedLo, -60.0), closedHi + 3);
    setTicks(c.closedDb, closedBottom, closedTop);
    c.closedMag->replace(closedMag);
    c.sampledClosed->replace(sampledClosed);
    c.minus3Db->replace({{fLow, -3}, {fHigh, -3}});
    c.bandwidth->setName(QStringLiteral("bandwidth %1").arg(loopFigureText(fig[kBandwidthFigure])));
    c.bandwidth->replace({{r.bandwidthKHz, -3}});
    c.peak->setName(QStringLiteral("peaking %1").arg(loopFigureText(fig[kPeakingFigure])));
    c.peak->replace({{r.peakKHz, r.peakingDb}});

    // The level axis holds the continuous step; samples of an unstable loop
    // run off it.
    const double tEnd = r.step.t.back() * 1e3;
    const double top = std::max(1.2, std::ceil((1 + r.step.overshoot) * 10 + 0.5) / 10);
    const bool sampledStable = r.sampled.problem.empty() && r.sampled.stable;
    const double sampledTop = sampledStable ? std::ceil((1 + r.sampled.overshoot) * 10 + 0.5) / 10 : top;
    const double levelTop = std::min(std::max(top, sampledTop), 2.5);
    setTicks(c.time, 0, tEnd);
    setTicks(c.level, sampledStable ? 0 : -0.5, levelTop);
    c.step->replace(step);
    c.samples->replace(samples);
    c.samples->setPointsVisible(samples.size() <= 200);
    c.bandHigh->replace({{0, 1.01}, {tEnd, 1.01}});
    c.bandLow->replace({{0, 0.99}, {tEnd, 0.99}});
    c.overshoot->setName(QStringLiteral("overshoot %1").arg(loopFigureText(fig[kOvershootFigure])));
    c.overshoot->replace({{r.step.peakTime * 1e3, 1 + r.step.overshoot}});
    // Unstable when sampled: the continuous settling is no claim to make.
    c.settling->setName(QStringLiteral("settling %1").arg(loopFigureText(fig[kSettlingFigure])));
    c.settling->setVisible(r.step.settled);
    QPen settlingPen = c.settling->pen();
    settlingPen.setColor(sampledStable || !r.sampled.problem.empty() ? c.settlingColor : kGrey);
    c.settling->setPen(settlingPen);
    c.settling->replace({{r.step.settlingTime * 1e3, 0}, {r.step.settlingTime * 1e3, levelTop}});
}

} // namespace zvx
