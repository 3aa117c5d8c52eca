#include "app/TraceStream.h"

#include "transport/BusLog.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace zvx {

BusLog::ListenerId copyTraceTo(BusLog& log, std::ostream& out)
{
    BusLog::Listener listener;
    listener.appended = [&out](std::string_view text, std::size_t) {
        std::string s(text);
        s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
        out << s << std::flush;
    };
    return log.addListener(std::move(listener));
}

} // namespace zvx
