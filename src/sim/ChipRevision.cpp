#include "sim/ChipRevision.h"

#include <cctype>
#include <string>

namespace zvx {

std::optional<ChipRevision> revisionFromName(std::string_view name)
{
    std::string upper(name);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return revisionFromLetter(upper);
}

} // namespace zvx
