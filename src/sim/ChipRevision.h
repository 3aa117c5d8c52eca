#pragma once
// The silicon revisions a simulated chip can be, named as the bench names
// them. The revisions and their register-5 signatures are the chip model's
// own (device/RegisterCodecs.h); this adds what the simulated board's
// option needs.

#include "device/RegisterCodecs.h"

#include <array>
#include <optional>
#include <string_view>

namespace zvx {

inline constexpr std::array<ChipRevision, 8> kAllChipRevisions{
    ChipRevision::A,  ChipRevision::B, ChipRevision::C1, ChipRevision::C2,
    ChipRevision::D,  ChipRevision::E, ChipRevision::F,  ChipRevision::G};

// "A", "B", "C1", ...
inline std::string_view revisionName(ChipRevision revision) { return revisionLetter(revision); }

// The revision named by a letter, in either case ("c1" is C1); nullopt for
// anything else.
std::optional<ChipRevision> revisionFromName(std::string_view name);

} // namespace zvx
