#include "sim/ChipRevision.h"

#include <cctype>

namespace zvx {

namespace {

struct RevisionEntry {
    ChipRevision revision;
    std::string_view name;
    std::uint8_t signature;
};

constexpr std::array<RevisionEntry, 8> kRevisionTable{{
    {ChipRevision::A, "A", 0x3F},
    {ChipRevision::B, "B", 0x1F},
    {ChipRevision::C1, "C1", 0x2F},
    {ChipRevision::C2, "C2", 0x0F},
    {ChipRevision::D, "D", 0x37},
    {ChipRevision::E, "E", 0x3B},
    {ChipRevision::F, "F", 0x3D},
    {ChipRevision::G, "G", 0x3E},
}};

const RevisionEntry& entryFor(ChipRevision revision)
{
    return kRevisionTable[static_cast<std::size_t>(revision)];
}

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

std::uint8_t revisionSignature(ChipRevision revision)
{
    return entryFor(revision).signature;
}

std::string_view revisionName(ChipRevision revision)
{
    return entryFor(revision).name;
}

std::optional<ChipRevision> revisionFromName(std::string_view name)
{
    for (const RevisionEntry& entry : kRevisionTable) {
        if (equalsIgnoringCase(entry.name, name))
            return entry.revision;
    }
    return std::nullopt;
}

} // namespace zvx
