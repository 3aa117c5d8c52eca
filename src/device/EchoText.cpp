#include "device/EchoText.h"

namespace zvx {

std::string echoText(std::string_view text)
{
    bool cut = false;
    if (text.size() > kMaxEchoedBytes) {
        std::size_t end = kMaxEchoedBytes;
        while (end > kMaxEchoedBytes - 3 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            --end;
        text = text.substr(0, end);
        cut = true;
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t')
            shown += "\\t";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            shown += std::string("\\x") + digits[byte >> 4] + digits[byte & 0xF];
        else
            shown += c;
    }
    return cut ? shown + "..." : shown;
}

} // namespace zvx
