#pragma once
// How the bus monitor's log reads on screen, and how to keep a screen copy in
// step with it without re-setting the whole text for every token. On screen
// a CR LF pair, a lone CR and a lone LF each end a line, as in a plain text
// box; every other character shows as it is. The screen text uses '\n' for
// each line end.

#include <cstddef>
#include <string>
#include <string_view>

namespace zvx {

class LogScreenText {
public:
    // The whole log as it reads on screen.
    static std::string screenText(std::string_view log);

    // What to do to the screen text after one append: first add appendAtEnd
    // at its end, then remove removeFromFront characters from its front.
    struct Edit {
        std::string appendAtEnd;
        std::size_t removeFromFront = 0;
    };
    // appended and dropped as the log reported them; newLog is the log now.
    Edit afterAppend(std::string_view appended, std::string_view dropped, std::string_view newLog);
    // The screen copy was set to screenText(log).
    void reset(std::string_view log);

private:
    // A CR at the end of the log may pair with an LF that comes next.
    bool endsWithCr_ = false;
};

} // namespace zvx
