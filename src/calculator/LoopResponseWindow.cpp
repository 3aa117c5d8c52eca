#include "calculator/LoopResponseWindow.h"

#include "device/NumberText.h"
#include "mainwindow/ControlRule.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zvx {

namespace {

struct InputInfo {
    const char* objectName;
    const char* caption;   // as a missing input is named
    const char* start;     // the text before the program is read; Kd and Kv keep it
};

// Kd and Kv start at the loop-filter page's design values.
constexpr InputInfo kInputs[LoopResponseWindow::kInputCount] = {
    {"txtR", "R (kohm)", ""},        {"txtC1", "C1 (pF)", ""},  {"txtC2", "C2 (pF)", ""},
    {"txtPFD", "PFD (kHz)", ""},     {"txtN", "N", ""},         {"txtKd", "Kd (\xC2\xB5" "A)", "64"},
    {"txtKv", "Kv (MHz/V)", "250"},
};

// The value labels, in the order of LoopResponse::figures.
constexpr const char* kFigureLabels[] = {
    "lblCrossover", "lblPhaseMargin", "lblBandwidth", "lblOvershoot", "lblSettling",
    "lbl_fzero",    "lbl_fp2",        "lbl_fn",       "lbl_fin_fzero", "lbl_zeta",
};
constexpr const char* kFigureCaptions[] = {
    "crossover", "phase margin", "-3 dB bandwidth", "overshoot", "settling (1 %)",
    "fzero",     "fp2",          "fn",              "fin/fzero", "zeta",
};

QString q(const std::string& s) { return QString::fromStdString(s); }

QString figureText(const Figure& f)
{
    if (f.unit.empty() || f.value == "?")
        return q(f.value);
    if (f.unit == "deg")
        return q(f.value) + QStringLiteral("\u00B0");
    return q(f.value + " " + f.unit);
}

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

// A dB range in whole tens around the values, at most 160 dB tall.
std::pair<double, double> decibelRange(double lo, double hi)
{
    hi = std::ceil(hi / 10) * 10;
    lo = std::max(std::floor(lo / 10) * 10, hi - 160);
    if (hi - lo < 20)
        lo = hi - 20;
    return {lo, hi};
}

} // namespace

LoopResponseWindow::LoopResponseWindow(Lab& app) : app_(app)
{
    setObjectName(QStringLiteral("frmLoopResponse"));
    setWindowTitle(QStringLiteral("Loop Response"));

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuSavePlot = file->addAction(QStringLiteral("Save &Plot as PNG..."));
    mnuSavePlot->setObjectName(QStringLiteral("mnuSavePlot"));
    mnuSaveCurves = file->addAction(QStringLiteral("Save C&urves as CSV..."));
    mnuSaveCurves->setObjectName(QStringLiteral("mnuSaveCurves"));
    file->addSeparator();
    mnuClose = file->addAction(QStringLiteral("&Close"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    connect(mnuSavePlot, &QAction::triggered, this, [this] { savePlot(); });
    connect(mnuSaveCurves, &QAction::triggered, this, [this] { saveCurves(); });
    connect(mnuClose, &QAction::triggered, this, [this] { close(); });

    auto* client = new QWidget(this);
    auto* columns = new QHBoxLayout(client);
    auto* left = new QVBoxLayout;
    columns->addLayout(left);
    buildInputs(client, left);
    lblWarnings = new QLabel(client);
    lblWarnings->setObjectName(QStringLiteral("lblWarnings"));
    lblWarnings->setWordWrap(true);
    lblWarnings->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    lblWarnings->setMaximumWidth(260);
    left->addWidget(lblWarnings);
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    columns->addLayout(right, 1);
    buildPlots();
    right->addWidget(plotArea, 1);
    lblProblem = new QLabel(client);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setAlignment(Qt::AlignCenter);
    lblProblem->setMinimumSize(560, 400);
    lblProblem->setVisible(false);
    right->addWidget(lblProblem, 1);
    setCentralWidget(client);
    resize(1060, 820);

    for (int i = 0; i < kInputCount; ++i) {
        follows_[i] = !*kInputs[i].start;
        boxes[i]->setText(QString::fromLatin1(kInputs[i].start));
    }
    watchProgram();
    followU1();
}

void LoopResponseWindow::buildInputs(QWidget* parent, QVBoxLayout* column)
{
    auto* inputs = new QGroupBox(QStringLiteral("Inputs"), parent);
    inputs->setObjectName(QStringLiteral("fraInputs"));
    auto* grid = new QGridLayout(inputs);
    for (int i = 0; i < kInputCount; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kInputs[i].caption), inputs);
        auto* box = new QLineEdit(inputs);
        box->setObjectName(QString::fromLatin1(kInputs[i].objectName));
        box->setMaximumWidth(110);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        boxes[i] = box;
        // A user edit stops the box following the program; any change
        // recomputes.
        connect(box, &QLineEdit::textEdited, this, [this, i] { follows_[i] = false; });
        connect(box, &QLineEdit::textChanged, this, [this] {
            if (!loading_)
                inputsChanged();
        });
    }
    cmdFromU1 = new QPushButton(QStringLiteral("From U1"), inputs);
    cmdFromU1->setObjectName(QStringLiteral("cmdFromU1"));
    cmdFromU1->setToolTip(QStringLiteral("Take R, C1, C2, PFD and N from the program again"));
    connect(cmdFromU1, &QPushButton::clicked, this, [this] { cmdFromU1_Click(); });
    grid->addWidget(cmdFromU1, kInputCount, 0, 1, 2);
    column->addWidget(inputs);

    auto* results = new QGroupBox(QStringLiteral("Results"), parent);
    results->setObjectName(QStringLiteral("fraResults"));
    auto* figures = new QGridLayout(results);
    for (std::size_t i = 0; i < figureLabels.size(); ++i) {
        const int row = static_cast<int>(i);
        figures->addWidget(new QLabel(QString::fromLatin1(kFigureCaptions[i]), results), row, 0);
        auto* value = new QLabel(QStringLiteral("?"), results);
        value->setObjectName(QString::fromLatin1(kFigureLabels[i]));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures->addWidget(value, row, 1);
        figureLabels[i] = value;
    }
    column->addWidget(results);
}

// The charts, their axes and series are made once; a recompute only
// replaces points, ranges and names, which Qt Charts redraws quickly.
struct LoopResponseWindow::Curves {
    QLogValueAxis* openF = nullptr;
    QValueAxis* openDb = nullptr;
    QValueAxis* openDeg = nullptr;
    QLineSeries* openMag = nullptr;
    QLineSeries* openPhase = nullptr;
    QLineSeries* zeroDb = nullptr;
    QLineSeries* crossover = nullptr;
    QScatterSeries* margin = nullptr;

    QLogValueAxis* closedF = nullptr;
    QValueAxis* closedDb = nullptr;
    QLineSeries* closedMag = nullptr;
    QLineSeries* minus3Db = nullptr;
    QScatterSeries* bandwidth = nullptr;

    QValueAxis* time = nullptr;
    QValueAxis* level = nullptr;
    QLineSeries* step = nullptr;
    QLineSeries* bandHigh = nullptr;
    QLineSeries* bandLow = nullptr;
    QScatterSeries* peak = nullptr;
    QLineSeries* settling = nullptr;
};

LoopResponseWindow::~LoopResponseWindow() = default;

void LoopResponseWindow::buildPlots()
{
    plotArea = new QWidget;
    plotArea->setObjectName(QStringLiteral("plotArea"));
    auto* stack = new QVBoxLayout(plotArea);
    stack->setContentsMargins(0, 0, 0, 0);
    auto view = [&](const char* name, const QString& title) {
        auto* chart = new QChart;
        chart->setTitle(title);
        chart->legend()->setAlignment(Qt::AlignRight);
        chart->setMargins(QMargins(4, 4, 4, 4));
        auto* v = new QChartView(chart, plotArea);
        v->setObjectName(QString::fromLatin1(name));
        v->setRenderHint(QPainter::Antialiasing);
        v->setMinimumHeight(230);
        stack->addWidget(v, 1);
        return chart;
    };
    curves_ = std::make_unique<Curves>();
    Curves& c = *curves_;

    // Open loop: magnitude on the left axis, phase on the right, the
    // crossover as a dashed line and the phase margin as a point on the phase.
    QChart* open = view("chartOpenLoop", QStringLiteral("Open loop G"));
    c.openF = frequencyAxis(open);
    c.openDb = valueAxis(open, QStringLiteral("|G| (dB)"), Qt::AlignLeft);
    c.openDeg = valueAxis(open, QStringLiteral("phase (deg)"), Qt::AlignRight);
    c.openDeg->setRange(-180, -90);
    c.openDeg->setTickCount(7);
    c.openMag = addSeries<QLineSeries>(open, {c.openF, c.openDb});
    c.openMag->setName(QStringLiteral("|G|"));
    c.openPhase = addSeries<QLineSeries>(open, {c.openF, c.openDeg});
    c.openPhase->setName(QStringLiteral("phase"));
    c.zeroDb = addSeries<QLineSeries>(open, {c.openF, c.openDb}, Qt::DotLine);
    hideFromLegend(open, c.zeroDb);
    c.crossover = addSeries<QLineSeries>(open, {c.openF, c.openDb}, Qt::DashLine);
    c.margin = addSeries<QScatterSeries>(open, {c.openF, c.openDeg});
    c.margin->setMarkerSize(9);

    QChart* closed = view("chartClosedLoop", QStringLiteral("Closed loop H (output phase / N)"));
    c.closedF = frequencyAxis(closed);
    c.closedDb = valueAxis(closed, QStringLiteral("|H| (dB)"), Qt::AlignLeft);
    c.closedMag = addSeries<QLineSeries>(closed, {c.closedF, c.closedDb});
    c.closedMag->setName(QStringLiteral("|H|"));
    c.minus3Db = addSeries<QLineSeries>(closed, {c.closedF, c.closedDb}, Qt::DotLine);
    c.minus3Db->setName(QStringLiteral("-3 dB"));
    c.bandwidth = addSeries<QScatterSeries>(closed, {c.closedF, c.closedDb});
    c.bandwidth->setMarkerSize(9);

    // Step response with the 1 % band, the peak and the settling time.
    QChart* step = view("chartStep", QStringLiteral("Step response (output phase / N)"));
    c.time = valueAxis(step, QStringLiteral("time (ms)"), Qt::AlignBottom);
    c.level = valueAxis(step, QStringLiteral("output / final"), Qt::AlignLeft);
    c.step = addSeries<QLineSeries>(step, {c.time, c.level});
    c.step->setName(QStringLiteral("step"));
    c.bandHigh = addSeries<QLineSeries>(step, {c.time, c.level}, Qt::DotLine);
    c.bandHigh->setName(QStringLiteral("\u00B11 %"));
    c.bandLow = addSeries<QLineSeries>(step, {c.time, c.level}, Qt::DotLine);
    c.bandLow->setPen(c.bandHigh->pen());
    hideFromLegend(step, c.bandLow);
    c.peak = addSeries<QScatterSeries>(step, {c.time, c.level});
    c.peak->setMarkerSize(9);
    c.settling = addSeries<QLineSeries>(step, {c.time, c.level}, Qt::DashLine);
}

void LoopResponseWindow::watchProgram()
{
    MainWindow* main = app_.mainWindow();
    if (!main)
        return;
    for (QLineEdit* box : {main->txtR, main->txtC1, main->txtC2, main->txtHsync, main->inPanel()->txtHorizTotal})
        connect(box, &QLineEdit::textChanged, this, [this] { followU1(); });
    OptionGroup* psd = main->inPanel()->obPSD;
    for (int index : psd->indices())
        connect(psd->button(index), &QRadioButton::toggled, this, [this] { followU1(); });
}

QString LoopResponseWindow::programValue(Input input) const
{
    const MainWindow* main = app_.mainWindow();
    if (!main)
        return boxes[input]->text();
    switch (input) {
    case R: return main->txtR->text();
    case C1: return main->txtC1->text();
    case C2: return main->txtC2->text();
    case PFD:
        if (app_.links.phaseDetectorKHz)
            return QString::number(app_.links.phaseDetectorKHz(), 'g', 7);
        return QString::number(textValue(main->txtHsync->text().toStdString()), 'g', 7);
    case N: {
        // The feedback divider: pixels per line times the PSD divisor, as
        // the calculator's VCO speed counts it.
        const DevicePanel* u1 = main->inPanel();
        const double total = decimalTextValue(u1->txtHorizTotal->text().toStdString());
        return QString::number(total * psdDivisor(u1->obPSD->selectedIndex()), 'g', 12);
    }
    default: return boxes[input]->text();
    }
}

void LoopResponseWindow::followU1()
{
    bool changed = false;
    loading_ = true;
    for (int i = 0; i < kInputCount; ++i) {
        if (!follows_[i])
            continue;
        const QString value = programValue(static_cast<Input>(i));
        if (boxes[i]->text() != value) {
            boxes[i]->setText(value);
            changed = true;
        }
    }
    loading_ = false;
    if (changed)
        inputsChanged();
}

void LoopResponseWindow::cmdFromU1_Click()
{
    for (int i = 0; i < kInputCount; ++i)
        follows_[i] = i != Kd && i != Kv;
    followU1();
}

LoopFilterInputs LoopResponseWindow::inputs() const
{
    auto value = [this](Input i) { return textValue(boxes[i]->text().toStdString()); };
    LoopFilterInputs in;
    in.pfd = value(PFD);
    in.r = value(R);
    in.c1 = value(C1);
    in.c2 = value(C2);
    in.n = value(N);
    in.kd = value(Kd);
    in.kv = value(Kv);
    return in;
}

QString LoopResponseWindow::missingInput() const
{
    for (int i = 0; i < kInputCount; ++i)
        if (boxes[i]->text().trimmed().isEmpty())
            return QString::fromUtf8(kInputs[i].caption) + QStringLiteral(" is empty");
    return {};
}

void LoopResponseWindow::inputsChanged()
{
    stale_ = true;
    if (isVisible())
        recompute();
}

void LoopResponseWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (stale_)
        recompute();
}

void LoopResponseWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void LoopResponseWindow::recompute()
{
    stale_ = false;
    const QString missing = missingInput();
    response_ = computeLoopResponse(inputs());
    if (!missing.isEmpty())
        response_.problem = missing.toStdString();

    const bool ok = response_.ok();
    for (std::size_t i = 0; i < figureLabels.size(); ++i) {
        QLabel* label = figureLabels[i];
        label->setText(ok && i < response_.figures.size() ? figureText(response_.figures[i]) : QStringLiteral("?"));
        label->setToolTip(ok && i >= 5 && response_.figures[i].value == "?" ? q(response_.page.cause) : QString());
    }
    QStringList warnings;
    for (const std::string& w : response_.warnings)
        warnings << q(w);
    lblWarnings->setText(warnings.join(QLatin1Char('\n')));
    lblProblem->setText(ok ? QString() : QStringLiteral("No plot: %1.").arg(q(response_.problem)));
    lblProblem->setVisible(!ok);
    plotArea->setVisible(ok);
    mnuSavePlot->setEnabled(ok);
    mnuSaveCurves->setEnabled(ok);
    if (ok)
        drawCharts();
}

void LoopResponseWindow::drawCharts()
{
    const LoopResponse& r = response_;
    const std::vector<Figure>& fig = r.figures;
    Curves& c = *curves_;

    const double fLow = r.bode.front().fKHz, fHigh = r.bode.back().fKHz;
    double openLo = 1e300, openHi = -1e300, closedLo = 1e300, closedHi = -1e300;
    QList<QPointF> openMag, openPhase, closedMag, step;
    for (const BodePoint& p : r.bode) {
        openLo = std::min(openLo, p.openDb);
        openHi = std::max(openHi, p.openDb);
        closedLo = std::min(closedLo, p.closedDb);
        closedHi = std::max(closedHi, p.closedDb);
        openMag.append({p.fKHz, p.openDb});
        openPhase.append({p.fKHz, p.openDeg});
        closedMag.append({p.fKHz, p.closedDb});
    }
    for (std::size_t i = 0; i < r.step.t.size(); ++i)
        step.append({r.step.t[i] * 1e3, r.step.y[i]});

    c.openF->setRange(fLow, fHigh);
    const auto [openBottom, openTop] = decibelRange(openLo, openHi);
    setTicks(c.openDb, openBottom, openTop);
    c.openMag->replace(openMag);
    c.openPhase->replace(openPhase);
    c.zeroDb->replace({{fLow, 0}, {fHigh, 0}});
    c.crossover->setName(QStringLiteral("crossover %1").arg(figureText(fig[0])));
    c.crossover->replace({{r.crossoverKHz, openBottom}, {r.crossoverKHz, openTop}});
    c.margin->setName(QStringLiteral("phase margin %1").arg(figureText(fig[1])));
    c.margin->replace({{r.crossoverKHz, r.phaseMarginDeg - 180}});

    c.closedF->setRange(fLow, fHigh);
    const auto [closedBottom, closedTop] = decibelRange(std::max(closedLo, -60.0), closedHi + 3);
    setTicks(c.closedDb, closedBottom, closedTop);
    c.closedMag->replace(closedMag);
    c.minus3Db->replace({{fLow, -3}, {fHigh, -3}});
    c.bandwidth->setName(QStringLiteral("bandwidth %1").arg(figureText(fig[2])));
    c.bandwidth->replace({{r.bandwidthKHz, -3}});

    const double tEnd = r.step.t.back() * 1e3;
    const double top = std::max(1.2, std::ceil((1 + r.step.overshoot) * 10 + 0.5) / 10);
    setTicks(c.time, 0, tEnd);
    setTicks(c.level, 0, top);
    c.step->replace(step);
    c.bandHigh->replace({{0, 1.01}, {tEnd, 1.01}});
    c.bandLow->replace({{0, 0.99}, {tEnd, 0.99}});
    c.peak->setName(QStringLiteral("overshoot %1").arg(figureText(fig[3])));
    c.peak->replace({{r.step.peakTime * 1e3, 1 + r.step.overshoot}});
    c.settling->setName(QStringLiteral("settling %1").arg(figureText(fig[4])));
    c.settling->setVisible(r.step.settled);
    c.settling->replace({{r.step.settlingTime * 1e3, 0}, {r.step.settlingTime * 1e3, top}});
}

bool LoopResponseWindow::saveFile(const QString& title, const QString& filter, const QString& extension,
                                  const std::function<bool(const QString& file, QString& error)>& write)
{
    FileDialogRequest request;
    request.title = title;
    request.directory = QDir::currentPath();
    request.filter = filter;
    const auto chosen = app_.dialogs().getSaveFileName(this, request);
    if (!chosen || chosen->isEmpty())
        return false;
    QString file = *chosen;
    if (QFileInfo(file).suffix().isEmpty())
        file += extension;
    if (QFileInfo::exists(file)) {
        const auto answer = app_.dialogs().ask(this, QMessageBox::Warning, title,
                                               file + QStringLiteral(" already exists.\rDo you want to replace it?"),
                                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
    }
    QString error;
    if (!write(file, error)) {
        app_.dialogs().message(this, QMessageBox::Warning, title,
                               QStringLiteral("%1 could not be saved: %2").arg(file, error), QMessageBox::Ok);
        return false;
    }
    return true;
}

// Both saves write a temporary file and rename it over the target, so a
// failed save leaves an older file as it was.
void LoopResponseWindow::savePlot()
{
    if (stale_)
        recompute();
    if (!response_.ok())
        return;
    saveFile(QStringLiteral("Save Plot"), QStringLiteral("PNG Images (*.png)|*.png"), QStringLiteral(".png"),
             [this](const QString& name, QString& error) {
                 const QPixmap image = plotArea->grab();
                 QSaveFile file(name);
                 if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
                     error = file.errorString();
                     return false;
                 }
                 return true;
             });
}

void LoopResponseWindow::saveCurves()
{
    if (stale_)
        recompute();
    if (!response_.ok())
        return;
    saveFile(QStringLiteral("Save Curves"), QStringLiteral("CSV Files (*.csv)|*.csv"), QStringLiteral(".csv"),
             [this](const QString& name, QString& error) {
                 const std::string text = loopResponseCsv(response_);
                 QSaveFile file(name);
                 if (!file.open(QIODevice::WriteOnly) ||
                     file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
                     !file.commit()) {
                     error = file.errorString();
                     return false;
                 }
                 return true;
             });
}

} // namespace zvx
