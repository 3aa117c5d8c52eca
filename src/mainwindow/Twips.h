#pragma once
// The window designs are kept in twips (1/1440 inch), as the bench engineers'
// screen layouts were drawn. Qt's default fonts are larger than the small
// dialog font those layouts were drawn for, so the designs are drawn at 12
// twips per pixel instead of 15: the same arrangement, a quarter larger.

#include <QWidget>

namespace zvx {

constexpr int kTwipsPerPixel = 12;

constexpr int twips(int t) { return (t + kTwipsPerPixel / 2) / kTwipsPerPixel; }

inline void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

} // namespace zvx
