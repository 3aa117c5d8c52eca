#include "calculator/LoopResponseWindow.h"

#include "calculator/LoopResponseCharts.h"
#include "device/NumberText.h"
#include "mainwindow/ControlRule.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/DialogPolicy.h"
#include "mainwindow/Lab.h"
#include "mainwindow/MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QStyle>
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

// The value labels, in the order of LoopResponse::figures, and their rows.
struct FigureRow {
    const char* objectName;
    const char* caption;
    int row;
};
constexpr FigureRow kFigureRows[kLoopFigureCount] = {
    {"lblCrossover", "crossover", 0},
    {"lblPhaseMargin", "phase margin", 1},
    {"lblBandwidth", "-3 dB bandwidth", 2},
    {"lblOvershoot", "overshoot", 4},
    {"lblSettling", "settling (1 %)", 5},
    {"lbl_fzero", "fzero", 9},
    {"lbl_fp2", "fp2", 10},
    {"lbl_fn", "fn", 11},
    {"lbl_fin_fzero", "fin/fzero", 12},
    {"lbl_zeta", "zeta", 13},
    {"lblPeaking", "peaking", 3},
    {"lblSampledPhaseMargin", "sampled phase margin", 6},
    {"lblSampledOvershoot", "sampled overshoot", 7},
    {"lblSampledStable", "sampled stable", 8},
};

// The calculator's loop-filter page boxes that stand in for the program's
// values while it has none (a fresh start, before a Read All or an Open).
constexpr const char* kPageBoxes[LoopResponseWindow::kInputCount] = {"txt_R", "txt_C1", "txt_C2", "txt_PFD",
                                                                     "txt_N", nullptr,  nullptr};

QString q(const std::string& s) { return QString::fromStdString(s); }

// A result label that never widens the window: a text too long for its
// room is drawn ending in "..."; text() and the tooltip hold the whole of it.
class FigureLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override
    {
        QSize size = QLabel::sizeHint();
        size.setWidth(std::min(size.width(), kWidest));
        return size;
    }
    QSize minimumSizeHint() const override
    {
        QSize size = QLabel::minimumSizeHint();
        size.setWidth(std::min(size.width(), kNarrowest));
        return size;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect room = contentsRect();
        style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), Qt::ElideRight, room.width()), foregroundRole());
    }

private:
    static constexpr int kWidest = 160;
    static constexpr int kNarrowest = 40;
};

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
    lblWarnings->setMinimumWidth(0);
    left->addWidget(lblWarnings);
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    columns->addLayout(right, 1);
    charts_ = std::make_unique<LoopResponseCharts>();
    plotArea = charts_->area();
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
        const FigureRow& f = kFigureRows[i];
        figures->addWidget(new QLabel(QString::fromLatin1(f.caption), results), f.row, 0);
        auto* value = new FigureLabel(QStringLiteral("?"), results);
        value->setObjectName(QString::fromLatin1(f.objectName));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures->addWidget(value, f.row, 1);
        figureLabels[i] = value;
    }
    column->addWidget(results);
}

LoopResponseWindow::~LoopResponseWindow() = default;

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
    const QString value = mainWindowValue(input);
    if (!value.isEmpty() || !kPageBoxes[input] || !app_.links.loopFilterPageText)
        return value;
    return app_.links.loopFilterPageText(kPageBoxes[input]);
}

QString LoopResponseWindow::mainWindowValue(Input input) const
{
    const MainWindow* main = app_.mainWindow();
    if (!main)
        return boxes[input]->text();
    switch (input) {
    case R: return main->txtR->text().trimmed();
    case C1: return main->txtC1->text().trimmed();
    case C2: return main->txtC2->text().trimmed();
    case PFD: {
        // An empty Hsync box, or an oscillator divider of 0, gives no
        // phase-detector frequency.
        const double pfd = app_.links.phaseDetectorKHz ? app_.links.phaseDetectorKHz()
                                                       : textValue(main->txtHsync->text().toStdString());
        return pfd > 0 ? QString::number(pfd, 'g', 7) : QString();
    }
    case N: {
        // The feedback divider: pixels per line times the PSD divisor, as
        // the calculator's VCO speed counts it.
        const DevicePanel* u1 = main->inPanel();
        if (u1->txtHorizTotal->text().trimmed().isEmpty())
            return {};
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
        const Figure* f = ok ? &response_.figures[i] : nullptr;
        label->setText(f ? loopFigureText(*f) : QStringLiteral("?"));
        // The whole figure, and why it is unknown.
        label->setToolTip(!f ? QString() : f->cause.empty() ? label->text() : label->text() + ": " + q(f->cause));
        label->setEnabled(true);
    }
    const SampledResponse& sampled = response_.sampled;
    const bool unstable = ok && sampled.problem.empty() && !sampled.stable;
    figureLabels[kSampledStableFigure]->setStyleSheet(unstable ? QStringLiteral("color: #b00000; font-weight: bold")
                                                               : QString());
    if (unstable) {
        // The continuous loop settles; the sampled one does not.
        QLabel* settling = figureLabels[kSettlingFigure];
        settling->setEnabled(false);
        settling->setToolTip(settling->text() + QStringLiteral(": the continuous loop's; unstable when sampled at PFD"));
    }
    QStringList warnings;
    for (const std::string& w : response_.warnings)
        warnings << q(w);
    lblWarnings->setText(warnings.join(QLatin1Char('\n')));
    lblWarnings->setToolTip(lblWarnings->text());
    lblProblem->setText(ok ? QString() : QStringLiteral("No plot: %1.").arg(q(response_.problem)));
    lblProblem->setVisible(!ok);
    plotArea->setVisible(ok);
    mnuSavePlot->setEnabled(ok);
    mnuSaveCurves->setEnabled(ok);
    if (ok)
        charts_->draw(response_);
    keepOnScreen();
}

void LoopResponseWindow::keepOnScreen()
{
    // No figure, however long, makes the window wider than the screen.
    const QScreen* s = screen();
    if (!s)
        return;
    const QRect room = s->availableGeometry();
    if (width() > room.width() || height() > room.height())
        resize(std::min(width(), room.width()), std::min(height(), room.height()));
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
    // Curves holding an infinity or a NaN are refused, never written.
    if (const std::string problem = curveProblem(response_); !problem.empty()) {
        app_.dialogs().message(this, QMessageBox::Warning, QStringLiteral("Save Curves"),
                               QStringLiteral("The curves cannot be saved: %1.").arg(q(problem)), QMessageBox::Ok);
        return;
    }
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
