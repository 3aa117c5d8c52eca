#include "transport/LogScreenText.h"

namespace zvx {

namespace {

// Screen form of s, given whether the text before it ended with a CR.
void appendScreen(std::string& out, std::string_view s, bool afterCr)
{
    for (const char c : s) {
        if (c == '\r') {
            out += '\n';
            afterCr = true;
            continue;
        }
        if (!(c == '\n' && afterCr))
            out += c;
        afterCr = false;
    }
}

std::size_t screenLength(std::string_view s)
{
    std::size_t n = 0;
    bool afterCr = false;
    for (const char c : s) {
        if (!(c == '\n' && afterCr))
            ++n;
        afterCr = c == '\r';
    }
    return n;
}

} // namespace

std::string LogScreenText::screenText(std::string_view log)
{
    std::string out;
    out.reserve(log.size());
    appendScreen(out, log, false);
    return out;
}

LogScreenText::Edit LogScreenText::afterAppend(std::string_view appended, std::string_view dropped,
                                               std::string_view newLog)
{
    Edit edit;
    appendScreen(edit.appendAtEnd, appended, endsWithCr_);
    // The screen lost the dropped lines. If the drop ended on a CR whose LF
    // stayed in the log, their shared line end on screen now stands for that
    // LF alone and stays.
    edit.removeFromFront = screenLength(dropped);
    if (!dropped.empty() && dropped.back() == '\r' && !newLog.empty() && newLog.front() == '\n')
        --edit.removeFromFront;
    endsWithCr_ = !newLog.empty() && newLog.back() == '\r';
    return edit;
}

void LogScreenText::reset(std::string_view log)
{
    endsWithCr_ = !log.empty() && log.back() == '\r';
}

} // namespace zvx
