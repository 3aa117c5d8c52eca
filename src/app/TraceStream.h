#pragma once
// --trace of both programs: the bus monitor's text streamed to a terminal.

#include <iosfwd>

namespace zvx {

class BusLog;

// From now on every text appended to the log is copied to out as it is
// appended, with CR LF line ends written as plain LF. Whether the engine
// traces at all is still the log's traceOn.
void copyTraceTo(BusLog& log, std::ostream& out);

} // namespace zvx
