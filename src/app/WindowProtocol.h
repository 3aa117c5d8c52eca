#pragma once
// The conversation between `zvx7246ctl --window` and the running window, over
// a local stream socket beside the window's instance lock. Plain C++, shared
// by both programs; docs/DEVELOPING.md describes it for a reader.
//
// Every message either way is a record: a header line "NAME LENGTH\n" (NAME
// lower-case letters, LENGTH decimal) and exactly LENGTH bytes of payload,
// so any text, line breaks and NUL bytes included, survives the trip.
//
//   window -> client   hello    "1 PID STATUS": protocol version, the window's
//                               process id, the port status line
//                      refused  why the connection is refused (then it ends)
//                      out/err  a command's standard output / error
//                      status   its exit status, in decimal: ends the answer
//                      bye      why the window ends the connection
//   client -> window   options  option words for every command (--lenient, ...),
//                               NUL-separated
//                      folder   the folder relative file names are taken from
//                      run      "LINE" NUL word NUL word ...: one command, with
//                               its script line number (0: the command line)
//                      stop     the number of the stop signal the client got: the
//                               command under way ends as a direct run's would

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

inline constexpr int kWindowProtocolVersion = 1;
// A record larger than this is not a message of this protocol.
inline constexpr std::size_t kMaxWindowRecord = 64 * 1024 * 1024;

struct WindowRecord {
    std::string name;
    std::string payload;
};

std::string encodeWindowRecord(std::string_view name, std::string_view payload);

// Takes the bytes of a stream as they come and hands out whole records.
class WindowRecordReader {
public:
    void feed(std::string_view bytes);
    // The next whole record, or nothing until more bytes come. After a
    // malformed header, nothing ever again, and error() says why.
    std::optional<WindowRecord> next();
    const std::string& error() const { return error_; }
    // Bytes received that are not yet part of a whole record.
    bool pending() const { return !buffer_.empty(); }

private:
    std::string buffer_;
    std::size_t start_ = 0;
    std::string error_;
};

// "run" payloads: a command's words and the script line it came from.
std::string encodeRunPayload(int lineNumber, const std::vector<std::string>& words);
struct RunRequest {
    int lineNumber = 0;
    std::vector<std::string> words;
};
std::optional<RunRequest> decodeRunPayload(std::string_view payload);

// "options" payloads: NUL-separated words.
std::string joinWords(const std::vector<std::string>& words);
std::vector<std::string> splitWordsAtNul(std::string_view payload);

// "hello" payloads.
struct WindowHello {
    int version = 0;
    long pid = 0;
    std::string status;  // the window's port status line
};
std::string encodeHello(const WindowHello& hello);
std::optional<WindowHello> decodeHello(std::string_view payload);

// The window's socket: the instance lock's name with ".lock" changed to
// ".sock" (".sock" added when it has no ".lock"), in the lock's folder.
std::string windowSocketPathForLock(const std::string& lockPath);

} // namespace zvx
