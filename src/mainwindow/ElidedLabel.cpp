#include "mainwindow/ElidedLabel.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace zvx {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text)
{
    fullText_ = text;
    setToolTip(text);
    elide();
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Any width will do: the text shortens itself to fit.
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    const int room = contentsRect().width();
    setText(room > 0 ? fontMetrics().elidedText(fullText_, Qt::ElideRight, room) : fullText_);
}

} // namespace zvx
