#pragma once
// --trace of both programs: the bus monitor's text streamed to a terminal.

#include "transport/BusLog.h"

#include <iosfwd>

namespace zvx {

// From now on every text appended to the log is copied to out as it is
// appended, with CR LF line ends written as plain LF. Whether the engine
// traces at all is still the log's traceOn. The copy goes on until the
// returned listener is removed from the log.
BusLog::ListenerId copyTraceTo(BusLog& log, std::ostream& out);

} // namespace zvx
