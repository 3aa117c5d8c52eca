#pragma once
// The bus monitor's trace as one short entry per transaction: "4C 01=15"
// (register write), "4C ?12" (single read), "4C 00<=0A 17" (block write),
// "4C ->10" (pointer set), "4D read 8" (sequential read). Headings ("Write
// All") and transactions with a missing acknowledge stay as they stand.

#include <string>
#include <vector>

namespace zvx::test {

using Ops = std::vector<std::string>;

Ops busOperations(const std::string& trace);

} // namespace zvx::test
