#include "sim/SimRevisionOption.h"

#include "sim/SimBoard.h"

#include <cctype>

namespace zvx {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::string upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

SimRevisionParse failure(std::string_view value, const std::string& why)
{
    SimRevisionParse result;
    result.error = "--sim-rev=" + std::string(value) + ": " + why;
    return result;
}

} // namespace

SimRevisionParse parseSimRevisions(std::string_view value)
{
    constexpr std::string_view kExample = " (for example U1:A,U4:G)";
    if (trimBlanks(value).empty())
        return failure(value, "no device given" + std::string(kExample));

    SimRevisionChoice choice;
    std::string_view rest = value;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = trimBlanks(rest.substr(0, comma));
        if (item.empty())
            return failure(value, "empty item" + std::string(kExample));

        const std::size_t colon = item.find(':');
        if (colon == std::string_view::npos)
            return failure(value, std::string("\"").append(item).append("\" is not DEVICE:REVISION").append(kExample));
        const std::string device = upper(trimBlanks(item.substr(0, colon)));
        const std::string_view letter = trimBlanks(item.substr(colon + 1));

        std::optional<ChipRevision>* slot = nullptr;
        if (device == "U1")
            slot = &choice.u1;
        else if (device == "U4")
            slot = &choice.u4;
        else
            return failure(value, "unknown device \"" + device + "\" (use U1 or U4)");
        if (slot->has_value())
            return failure(value, device + " is given twice");

        const std::optional<ChipRevision> revision = revisionFromName(letter);
        if (!revision)
            return failure(value, "unknown revision \"" + std::string(letter) + "\" for " + device
                                      + " (use A, B, C1, C2, D, E, F or G)");
        *slot = revision;

        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }

    SimRevisionParse result;
    result.choice = choice;
    return result;
}

void applySimRevisions(SimBoard& board, const SimRevisionChoice& choice)
{
    if (choice.u1)
        board.u1().setRevision(*choice.u1);
    if (choice.u4)
        board.u4().setRevision(*choice.u4);
}

} // namespace zvx
