#pragma once
// A one-line label for the status bar that never widens the window: a text
// too long for its room ends in "…" and the whole text is its tooltip, so a
// long reason (why the parallel port cannot be had) is never cut off unseen.

#include <QLabel>
#include <QString>

namespace zvx {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return fullText_; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();
    QString fullText_;
};

} // namespace zvx
