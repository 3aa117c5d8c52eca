#pragma once
// The profile (INI) layer under the setup files: sections in brackets and
// key=value lines, read and written with the rules bench users and their
// existing .zvx files rely on.
//
// Reading:
// - section and key names are matched without regard to (ASCII) case;
// - blanks around names and values do not count, and a value in matching
//   single or double quotes is read without them;
// - a line whose first non-blank character is ";" is a comment; a line
//   without "=" is not a key; a "[" line is a section header up to its last "]";
// - of two sections, or two keys in a section, with the same name the first
//   one counts (keys in a repeated section are not seen); keys above the
//   first section belong to none.
// Writing changes the document in memory:
// - an existing key gets its value replaced and nothing else on the line,
//   anywhere else in the file, changes: comments, foreign sections, blank
//   lines, odd line endings (LF, CR, CRLF, mixed) and the case of names;
// - a missing key goes after the last key of its section, a missing section
//   at the end of the file; new lines end in CRLF.
// A save then writes the whole document once (see saveProfile).

#include "setup/AtomicFile.h"
#include "setup/FileResult.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zvx {

struct ProfileKey {
    std::string_view section;
    std::string_view key;
};

struct ProfileEntry {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

class ProfileDocument {
public:
    ProfileDocument() = default;
    // Takes any bytes: binary garbage, NUL bytes and endless lines included.
    explicit ProfileDocument(std::string bytes) : bytes_(std::move(bytes)) {}

    // The file as it stands with every write so far.
    const std::string& bytes() const { return bytes_; }

    // The value of the key, trimmed and unquoted; empty optional when the
    // section or the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The same for many keys in one pass over the file, in the order asked.
    std::vector<std::optional<std::string>> values(std::span<const ProfileKey> keys) const;

    // The line of each key in the file, counted from 1 (a CR, an LF or a
    // CR LF ends a line); 0 for a key that is missing.
    std::vector<std::size_t> lineNumbers(std::span<const ProfileKey> keys) const;

    // Whether the document has a section of that name (case ignored).
    bool hasSection(std::string_view section) const;

    // Sets the key's value (written exactly as given). Names are trimmed.
    // Refuses, with the reason and without changing anything, an empty name,
    // a line break or NUL anywhere, a key name containing "=" or starting
    // with ";" or "[": the file could not read such a key back.
    std::optional<std::string> setValue(std::string_view section, std::string_view key, std::string_view value);
    // Many writes in one pass, with exactly the result of setting them one
    // after the other; refuses all of them if any one is refused.
    std::optional<std::string> setValues(std::span<const ProfileEntry> entries);

private:
    std::string bytes_;
};

// Why bytes cannot be a profile file: UTF-16 or UTF-32 text (a byte-order
// mark) or NUL bytes anywhere. Nothing when they are plain text.
std::optional<std::string> notPlainText(std::string_view bytes);

// Reads a profile file. A file that does not exist reads as empty; a folder,
// an unreadable or oversized file, or one that is not plain text
// (notPlainText) is an error for the user. A save reads the file first, so
// it refuses to write into such a file too.
FileResult<ProfileDocument> loadProfile(const std::string& path);

// Writes the document over the file in one atomic replacement; a document
// above kMaxSetupFileBytes is refused before anything is written.
std::optional<FileError> saveProfile(const ProfileDocument& document, const std::string& path,
                                     const SaveFaultHook& fault = {});

// What getINIvalue answers for a key that is missing or too short to count.
inline constexpr std::string_view kNoValidValueFound = "noValidValueFound";

// The value as the setup reader has always seen it through its 127-byte
// buffer: cut at a NUL byte, at most 126 bytes (not splitting a UTF-8
// character), and "noValidValueFound" when fewer than 2 bytes remain, so a
// one-character value counts as missing.
std::string getINIvalue(const ProfileDocument& document, std::string_view section, std::string_view key);

// The same rule applied to a value as ProfileDocument::value gives it.
std::string getINIvalueOf(std::optional<std::string> value);

// The same for many keys in one pass.
std::vector<std::string> getINIvalues(const ProfileDocument& document, std::span<const ProfileKey> keys);

// The same straight from a file; a file that cannot be read gives
// "noValidValueFound" for every key.
std::string getINIvalue(std::string_view section, std::string_view key, const std::string& file);

} // namespace zvx
