#pragma once
// Silicon revisions of the ZVX 7246 as the simulated board knows them.
//
// Each revision leaves a different pattern of register 5's upper six bits
// writable: a bit whose signature bit is 0 always reads back 0. Setting bits
// 7..2 and reading them back therefore shows the revision's signature, which
// is how the bench tells one stepping from another. The revisions and their
// signatures are the chip description's (device/RegisterCodecs.h); the board
// adds the list of all of them and the lenient lookup its option uses.

#include "device/RegisterCodecs.h"

#include <array>
#include <optional>
#include <string_view>

namespace zvx {

inline constexpr std::array<ChipRevision, 8> kAllChipRevisions{
    ChipRevision::A,  ChipRevision::B, ChipRevision::C1, ChipRevision::C2,
    ChipRevision::D,  ChipRevision::E, ChipRevision::F,  ChipRevision::G};

// The letter printed on the part: "A", "B", "C1", "C2", "D", "E", "F", "G".
inline std::string_view revisionName(ChipRevision revision) { return revisionLetter(revision); }

// The revision named by a letter, case-insensitive ("c1" = C1); nullopt for
// anything else.
std::optional<ChipRevision> revisionFromName(std::string_view name);

} // namespace zvx
