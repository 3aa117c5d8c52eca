#include "app/WindowProtocol.h"

#include <charconv>

namespace zvx {

namespace {

// "NAME LENGTH" is short; a longer header line is not one of ours.
constexpr std::size_t kMaxHeader = 64;

template <typename Int>
std::optional<Int> decimal(std::string_view text)
{
    Int value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool validName(std::string_view name)
{
    if (name.empty() || name.size() > 16)
        return false;
    for (char c : name)
        if (c < 'a' || c > 'z')
            return false;
    return true;
}

} // namespace

std::string encodeWindowRecord(std::string_view name, std::string_view payload)
{
    std::string record(name);
    record += ' ';
    record += std::to_string(payload.size());
    record += '\n';
    record += payload;
    return record;
}

void WindowRecordReader::feed(std::string_view bytes)
{
    if (!error_.empty())
        return;
    // Drop what whole records already used before the buffer grows again.
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<WindowRecord> WindowRecordReader::next()
{
    if (!error_.empty())
        return std::nullopt;
    const std::string_view rest = std::string_view(buffer_).substr(start_);
    const std::size_t eol = rest.find('\n');
    if (eol == std::string_view::npos) {
        if (rest.size() > kMaxHeader)
            error_ = "a record header longer than " + std::to_string(kMaxHeader) + " bytes";
        return std::nullopt;
    }
    const std::string_view header = rest.substr(0, eol);
    const std::size_t blank = header.find(' ');
    const auto length = blank == std::string_view::npos ? std::nullopt : decimal<std::size_t>(header.substr(blank + 1));
    if (eol > kMaxHeader || !length || !validName(header.substr(0, blank)) || *length > kMaxWindowRecord) {
        error_ = "a malformed record header";
        return std::nullopt;
    }
    if (rest.size() - eol - 1 < *length)
        return std::nullopt;
    WindowRecord record{std::string(header.substr(0, blank)), std::string(rest.substr(eol + 1, *length))};
    start_ += eol + 1 + *length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return record;
}

std::string joinWords(const std::vector<std::string>& words)
{
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            joined += '\0';
        joined += words[i];
    }
    return joined;
}

std::vector<std::string> splitWordsAtNul(std::string_view payload)
{
    std::vector<std::string> words;
    if (payload.empty())
        return words;
    for (;;) {
        const std::size_t nul = payload.find('\0');
        words.emplace_back(payload.substr(0, nul));
        if (nul == std::string_view::npos)
            return words;
        payload.remove_prefix(nul + 1);
    }
}

std::string encodeRunPayload(int lineNumber, const std::vector<std::string>& words)
{
    std::string payload = std::to_string(lineNumber);
    for (const std::string& w : words) {
        payload += '\0';
        payload += w;
    }
    return payload;
}

std::optional<RunRequest> decodeRunPayload(std::string_view payload)
{
    std::vector<std::string> parts = splitWordsAtNul(payload);
    if (parts.size() < 2)
        return std::nullopt;  // a line number and at least the command
    const auto line = decimal<int>(parts[0]);
    if (!line || *line < 0)
        return std::nullopt;
    parts.erase(parts.begin());
    return RunRequest{*line, std::move(parts)};
}

std::string encodeHello(const WindowHello& hello)
{
    return std::to_string(hello.version) + " " + std::to_string(hello.pid) + " " + hello.status;
}

std::optional<WindowHello> decodeHello(std::string_view payload)
{
    const std::size_t first = payload.find(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t second = payload.find(' ', first + 1);
    const auto version = decimal<int>(payload.substr(0, first));
    const auto pid = decimal<long>(payload.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                                               : second - first - 1));
    if (!version || !pid)
        return std::nullopt;
    WindowHello hello{*version, *pid, {}};
    if (second != std::string_view::npos)
        hello.status = std::string(payload.substr(second + 1));
    return hello;
}

std::string windowSocketPathForLock(const std::string& lockPath)
{
    constexpr std::string_view suffix = ".lock";
    if (lockPath.size() > suffix.size() && lockPath.compare(lockPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return lockPath.substr(0, lockPath.size() - suffix.size()) + ".sock";
    return lockPath + ".sock";
}

} // namespace zvx
