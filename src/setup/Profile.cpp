#include "setup/Profile.h"

#include <algorithm>
#include <vector>

namespace zvx {

namespace {

// The document is kept as the bytes of the file and scanned line by line,
// once for all the keys an open or a save asks for: a pathological file (one
// of nothing but line breaks) then costs no more memory than its size and no
// more time than one pass.

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
    std::size_t next = 0;  // where the following line starts
    LineKind kind = LineKind::Other;
    Span name;           // section name or key name, trimmed
    Span value;          // key value, trimmed, quotes still on
    std::size_t number = 0;  // line number in the file, from 1 (set by the scan)
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

// The sections and keys one pass looks for. Each wanted section is found
// once (its first occurrence); each wanted key once within it.
struct WantedSection {
    std::string_view name;
    bool found = false;
    std::optional<Line> last;  // the section's last key line, or its header line
};

struct WantedKey {
    std::size_t section;  // index into the wanted sections
    std::string_view name;
    std::optional<Line> line;  // the first key of that name in the section
};

struct Wanted {
    std::vector<WantedSection> sections;
    std::vector<WantedKey> keys;

    // Index of the (section, key) pair, added when new; names are trimmed
    // and compared without regard to case, the first spelling kept.
    std::size_t add(std::string_view section, std::string_view key)
    {
        std::size_t s = 0;
        while (s < sections.size() && !sameName(sections[s].name, section))
            ++s;
        if (s == sections.size())
            sections.push_back(WantedSection{section, false, std::nullopt});
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (keys[k].section == s && sameName(keys[k].name, key))
                return k;
        }
        keys.push_back(WantedKey{s, key, std::nullopt});
        return keys.size() - 1;
    }

    // One pass over the document: a file of any size is read once, however
    // many keys a save or an open asks for.
    void scan(std::string_view text)
    {
        constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        std::size_t current = kNone;  // the wanted section the scan is in
        std::size_t number = 0;
        for (std::size_t pos = 0; pos < text.size();) {
            Line line = classify(text, pos);
            line.number = ++number;
            pos = line.next;
            if (line.kind == LineKind::Section) {
                current = kNone;
                const std::string_view name = textOf(text, line.name);
                for (std::size_t s = 0; s < sections.size(); ++s) {
                    if (sameName(sections[s].name, name)) {
                        if (!sections[s].found) {
                            sections[s].found = true;
                            sections[s].last = line;
                            current = s;
                        }
                        break;
                    }
                }
                continue;
            }
            if (current == kNone || line.kind != LineKind::Key)
                continue;
            sections[current].last = line;
            const std::string_view name = textOf(text, line.name);
            for (WantedKey& key : keys) {
                if (key.section == current && !key.line && sameName(key.name, name))
                    key.line = line;
            }
        }
    }
};

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

std::optional<std::string> refusal(std::string_view section, std::string_view key, std::string_view value)
{
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
    return std::nullopt;
}

// A change to the bytes: erase [at, at + erase) and put text there.
struct Edit {
    std::size_t at;
    std::size_t erase;
    std::string text;
};

} // namespace

std::optional<std::string> ProfileDocument::value(std::string_view section, std::string_view key) const
{
    const ProfileKey wanted{section, key};
    return std::move(values(std::span(&wanted, 1)).front());
}

namespace {

// The line of each asked-for key in one scan of the document, or none where
// the key (or its section) is not there.
std::vector<std::optional<Line>> keyLines(std::string_view bytes, std::span<const ProfileKey> keys)
{
    Wanted wanted;
    std::vector<std::optional<std::size_t>> slot(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view section = trimmed(keys[i].section);
        const std::string_view key = trimmed(keys[i].key);
        if (!section.empty() && !key.empty())
            slot[i] = wanted.add(section, key);
    }
    wanted.scan(bytes);
    std::vector<std::optional<Line>> lines(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (slot[i])
            lines[i] = wanted.keys[*slot[i]].line;
    }
    return lines;
}

} // namespace

std::vector<std::optional<std::string>> ProfileDocument::values(std::span<const ProfileKey> keys) const
{
    const auto lines = keyLines(bytes_, keys);
    std::vector<std::optional<std::string>> result(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (lines[i])
            result[i] = unquoted(textOf(bytes_, lines[i]->value));
    }
    return result;
}

std::vector<std::size_t> ProfileDocument::lineNumbers(std::span<const ProfileKey> keys) const
{
    const auto lines = keyLines(bytes_, keys);
    std::vector<std::size_t> result(keys.size(), 0);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (lines[i])
            result[i] = lines[i]->number;
    }
    return result;
}

std::optional<std::string> ProfileDocument::setValue(std::string_view section, std::string_view key,
                                                     std::string_view value)
{
    const ProfileEntry entry{section, key, value};
    return setValues(std::span(&entry, 1));
}

std::optional<std::string> ProfileDocument::setValues(std::span<const ProfileEntry> entries)
{
    Wanted wanted;
    std::vector<std::string_view> newValue;
    for (const ProfileEntry& entry : entries) {
        const std::string_view section = trimmed(entry.section);
        const std::string_view key = trimmed(entry.key);
        if (auto reason = refusal(section, key, entry.value))
            return reason;
        const std::size_t k = wanted.add(section, key);
        newValue.resize(wanted.keys.size());
        newValue[k] = entry.value;  // a key set twice keeps the later value
    }
    wanted.scan(bytes_);

    std::vector<Edit> edits;
    for (std::size_t k = 0; k < wanted.keys.size(); ++k) {
        if (const auto& line = wanted.keys[k].line)
            edits.push_back(Edit{line->value.begin, line->value.end - line->value.begin, std::string(newValue[k])});
    }

    // Missing keys: after their section's last key, in the order they were
    // set; missing sections: at the end, likewise.
    std::string appended;
    for (std::size_t s = 0; s < wanted.sections.size(); ++s) {
        std::string lines;
        for (std::size_t k = 0; k < wanted.keys.size(); ++k) {
            if (wanted.keys[k].section == s && !wanted.keys[k].line)
                lines.append(wanted.keys[k].name).append("=").append(newValue[k]).append(kCrLf);
        }
        if (lines.empty())
            continue;
        const WantedSection& section = wanted.sections[s];
        if (section.found) {
            const Line& after = *section.last;
            // The section's last line may be the file's last line, without a line ending.
            if (after.next == after.content.end)
                lines.insert(0, kCrLf);
            edits.push_back(Edit{after.next, 0, std::move(lines)});
        } else {
            appended.append("[").append(section.name).append("]").append(kCrLf).append(lines);
        }
    }

    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    std::string result;
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        result.append(bytes_, copied, edit.at - copied);
        result.append(edit.text);
        copied = edit.at + edit.erase;
    }
    result.append(bytes_, copied, std::string::npos);
    if (!appended.empty()) {
        if (!result.empty() && result.back() != '\n' && result.back() != '\r')
            result.append(kCrLf);
        result.append(appended);
    }
    bytes_ = std::move(result);
    return std::nullopt;
}

bool ProfileDocument::hasSection(std::string_view section) const
{
    Wanted wanted;
    wanted.sections.push_back(WantedSection{trimmed(section), false, std::nullopt});
    wanted.scan(bytes_);
    return wanted.sections.front().found;
}

std::optional<std::string> notPlainText(std::string_view bytes)
{
    // Windows editors save "Unicode" text as UTF-16 (or UTF-32) with a
    // byte-order mark. Read as bytes, every other byte of such a file is NUL,
    // so no key would be found and the boxes would silently empty; written
    // into, it would become a mix of two encodings.
    const auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    using namespace std::string_view_literals;
    if (startsWith("\xFF\xFE\0\0"sv) || startsWith("\0\0\xFE\xFF"sv))
        return "it is UTF-32 text (it starts with a UTF-32 byte-order mark); a setup file is plain text, "
               "ASCII or UTF-8";
    if (startsWith("\xFF\xFE"sv) || startsWith("\xFE\xFF"sv))
        return "it is UTF-16 text (it starts with a UTF-16 byte-order mark); a setup file is plain text, "
               "ASCII or UTF-8";
    if (bytes.find('\0') != std::string_view::npos)
        return "it contains NUL bytes, so it is not a plain-text setup file";
    return std::nullopt;
}

FileResult<ProfileDocument> loadProfile(const std::string& path)
{
    auto read = readWholeFile(path);
    if (!read)
        return read.error();
    std::string bytes = std::move(read.value()).value_or(std::string());
    if (auto reason = notPlainText(bytes))
        return readError(path, std::move(*reason));
    return ProfileDocument(std::move(bytes));
}

std::optional<FileError> saveProfile(const ProfileDocument& document, const std::string& path,
                                     const SaveFaultHook& fault)
{
    if (document.bytes().size() > kMaxSetupFileBytes)
        return saveError(path, "it would be larger than " + std::to_string(kMaxSetupFileBytes) +
                                   " bytes, too large for a setup file");
    return replaceFileAtomically(path, document.bytes(), fault);
}

std::string getINIvalueOf(std::optional<std::string> found)
{
    // The buffer holds 127 bytes including the terminating NUL.
    constexpr std::size_t kMaxValueBytes = 126;

    std::string value = std::move(found).value_or(std::string());
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

std::string getINIvalue(const ProfileDocument& document, std::string_view section, std::string_view key)
{
    return getINIvalueOf(document.value(section, key));
}

std::vector<std::string> getINIvalues(const ProfileDocument& document, std::span<const ProfileKey> keys)
{
    std::vector<std::string> result;
    result.reserve(keys.size());
    for (auto& found : document.values(keys))
        result.push_back(getINIvalueOf(std::move(found)));
    return result;
}

std::string getINIvalue(std::string_view section, std::string_view key, const std::string& file)
{
    auto document = loadProfile(file);
    if (!document)
        return std::string(kNoValidValueFound);
    return getINIvalue(document.value(), section, key);
}

} // namespace zvx
