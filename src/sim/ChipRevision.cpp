#include "sim/ChipRevision.h"

#include <cctype>

namespace zvx {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

std::optional<ChipRevision> revisionFromName(std::string_view name)
{
    for (const RevisionSignature& entry : kRevisionSignatures) {
        if (equalsIgnoringCase(entry.letter, name))
            return entry.revision;
    }
    return std::nullopt;
}

} // namespace zvx
