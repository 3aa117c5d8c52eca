#pragma once
// Text boxes held in memory that follow the window's rule: setting a text runs
// the box's change handling, only on a real change. DividerBoxes wires the
// three feedback-divider boxes of one device as the register panel does.

#include "mainwindow/Steppers.h"

#include <functional>

namespace zvx::test {

class MemoryBox : public StepperBox {
public:
    explicit MemoryBox(QString text = {}) : text_(std::move(text)) {}

    QString text() const override { return text_; }
    void setText(const QString& text) override
    {
        if (text == text_)
            return;
        text_ = text;
        if (onChange)
            onChange();
    }
    void preset(const QString& text) { text_ = text; }  // no change handling

    std::function<void()> onChange;

private:
    QString text_;
};

struct DividerBoxes {
    MemoryBox total, low, high;
    bool typingHorizTotal = false;

    DividerBoxes()
    {
        total.onChange = [this] { horizTotal_textToRegisters(total, low, high); };
        low.onChange = [this] { dividerChanged(low, 2); };
        high.onChange = [this] { dividerChanged(high, 1); };
    }
    DividerBoxes(const DividerBoxes&) = delete;
    DividerBoxes& operator=(const DividerBoxes&) = delete;

    void preset(const QString& t, const QString& l, const QString& h)
    {
        total.preset(t);
        low.preset(l);
        high.preset(h);
    }
    // The user types a whole text into the total box, one key at a time.
    void typeTotal(const QString& text)
    {
        typingHorizTotal = true;
        total.setText({});
        for (qsizetype i = 1; i <= text.size(); ++i)
            total.setText(text.left(i));
    }

private:
    void dividerChanged(MemoryBox& box, qsizetype limit)
    {
        if (box.text().size() > limit)
            box.setText(box.text().right(limit));
        if (!typingHorizTotal)
            showHorizTotal(total, low, high);
    }
};

} // namespace zvx::test
