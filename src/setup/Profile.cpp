#include "setup/Profile.h"

#include <algorithm>

namespace zvx {

namespace {

// The document is kept as the bytes of the file and scanned line by line on
// each lookup: a setup file is a few dozen lines, and a pathological one (a
// file of nothing but line breaks) then costs no more memory than its size.

constexpr std::string_view kCrLf = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// A span of the document, [begin, end).
struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

Span trimmed(std::string_view text, Span span)
{
    while (span.begin < span.end && isBlank(text[span.begin]))
        ++span.begin;
    while (span.end > span.begin && isBlank(text[span.end - 1]))
        --span.end;
    return span;
}

std::string_view trimmed(std::string_view text)
{
    const Span s = trimmed(text, Span{0, text.size()});
    return text.substr(s.begin, s.end - s.begin);
}

std::string_view textOf(std::string_view text, Span span)
{
    return text.substr(span.begin, span.end - span.begin);
}

enum class LineKind { Other, Comment, Section, Key };

// One line of the document as the reader sees it.
struct Line {
    Span content;        // the line without its line ending
    std::size_t next;    // where the following line starts
    LineKind kind = LineKind::Other;
    Span name;           // section name or key name, trimmed
    Span value;          // key value, trimmed, quotes still on
};

Line classify(std::string_view text, std::size_t begin)
{
    Line line;
    std::size_t end = text.find_first_of(kCrLf, begin);
    if (end == std::string_view::npos)
        end = text.size();
    line.content = Span{begin, end};
    line.next = end;
    if (end < text.size())
        line.next += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;

    Span body = line.content;
    // Editors on Linux like to start a file with a UTF-8 byte order mark;
    // it must not hide the first section header.
    if (begin == 0 && text.substr(0, 3) == "\xEF\xBB\xBF")
        body.begin = std::min<std::size_t>(3, body.end);
    body = trimmed(text, body);
    if (body.begin == body.end)
        return line;
    if (text[body.begin] == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (text[body.begin] == '[') {
        const std::size_t close = textOf(text, body).rfind(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = trimmed(text, Span{body.begin + 1, body.begin + close});
            return line;
        }
        // "[" without "]": read on as a possible key, as the reader always has.
    }
    const std::size_t equals = text.substr(0, body.end).find('=', body.begin);
    if (equals == std::string_view::npos)
        return line;
    line.kind = LineKind::Key;
    line.name = trimmed(text, Span{body.begin, equals});
    line.value = trimmed(text, Span{equals + 1, body.end});
    return line;
}

// Where a key lives, or where it would go.
struct KeyLookup {
    bool sectionFound = false;
    std::optional<Line> key;          // the first key of that name in the first matching section
    std::optional<Line> lastInSection; // the section's last key line, or its header line
};

KeyLookup lookup(std::string_view text, std::string_view section, std::string_view key)
{
    KeyLookup found;
    bool inSection = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = classify(text, pos);
        pos = line.next;
        if (line.kind == LineKind::Section) {
            if (inSection)
                break;  // the first matching section has ended
            if (sameName(textOf(text, line.name), section)) {
                inSection = true;
                found.sectionFound = true;
                found.lastInSection = line;
            }
            continue;
        }
        if (!inSection || line.kind != LineKind::Key)
            continue;
        found.lastInSection = line;
        if (!found.key && sameName(textOf(text, line.name), key))
            found.key = line;
    }
    return found;
}

std::string unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool hasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

std::optional<std::string> ProfileDocument::value(std::string_view section, std::string_view key) const
{
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty() || key.empty())
        return std::nullopt;
    const KeyLookup found = lookup(bytes_, section, key);
    if (!found.key)
        return std::nullopt;
    return unquoted(textOf(bytes_, found.key->value));
}

std::optional<std::string> ProfileDocument::setValue(std::string_view section, std::string_view key,
                                                     std::string_view value)
{
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty())
        return "the section name is empty";
    if (key.empty())
        return "the key name is empty";
    if (hasLineBreakOrNul(section))
        return "the section name \"" + std::string(section) + "\" contains a line break";
    if (hasLineBreakOrNul(key) || key.find('=') != std::string_view::npos || key.front() == ';' ||
        key.front() == '[')
        return "the key name \"" + std::string(key) + "\" cannot be stored in a setup file";
    if (hasLineBreakOrNul(value))
        return "the value of " + std::string(key) + " contains a line break";

    const KeyLookup found = lookup(bytes_, section, key);
    if (found.key) {
        const Span old = found.key->value;
        bytes_.replace(old.begin, old.end - old.begin, value);
        return std::nullopt;
    }

    std::string newLine;
    newLine.reserve(key.size() + value.size() + 3);
    newLine.append(key).append("=").append(value).append(kCrLf);

    if (found.sectionFound) {
        const Line& after = *found.lastInSection;
        // The section's last line may be the file's last line without a line ending.
        if (after.next == after.content.end)
            newLine.insert(0, kCrLf);
        bytes_.insert(after.next, newLine);
        return std::nullopt;
    }

    if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r')
        bytes_.append(kCrLf);
    bytes_.append("[").append(section).append("]").append(kCrLf).append(newLine);
    return std::nullopt;
}

FileResult<ProfileDocument> loadProfile(const std::string& path)
{
    auto read = readWholeFile(path);
    if (!read)
        return read.error();
    return ProfileDocument(std::move(read.value()).value_or(std::string()));
}

std::optional<FileError> saveProfile(const ProfileDocument& document, const std::string& path,
                                     const SaveFaultHook& fault)
{
    return replaceFileAtomically(path, document.bytes(), fault);
}

std::string getINIvalue(const ProfileDocument& document, std::string_view section, std::string_view key)
{
    // The buffer holds 127 bytes including the terminating NUL.
    constexpr std::size_t kMaxValueBytes = 126;

    std::string value = document.value(section, key).value_or(std::string());
    if (const auto nul = value.find('\0'); nul != std::string::npos)
        value.resize(nul);
    if (value.size() > kMaxValueBytes) {
        std::size_t cut = kMaxValueBytes;
        // Step back over a UTF-8 character cut in two (at most three bytes back).
        for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80; ++back)
            --cut;
        if ((static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
            cut = kMaxValueBytes;  // not UTF-8 at all: keep the plain byte count
        value.resize(cut);
    }
    if (value.size() < 2)
        return std::string(kNoValidValueFound);
    return value;
}

std::string getINIvalue(std::string_view section, std::string_view key, const std::string& file)
{
    auto document = loadProfile(file);
    if (!document)
        return std::string(kNoValidValueFound);
    return getINIvalue(document.value(), section, key);
}

} // namespace zvx
