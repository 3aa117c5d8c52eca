#pragma once
// Whole-file reading and atomic replacement for setup files.
//
// A save never writes into the setup file itself: it writes a temporary file
// beside it, flushes it to the disk, renames it over the old file and then
// syncs the folder. Whatever goes wrong (full disk, read-only folder, the
// name is a folder, power lost half-way), the old file stays as it was or the
// new one is there complete; nobody ever sees a half-written or empty file.

#include "setup/FileResult.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zvx {

// A setup file is a few hundred bytes; anything beyond this is not one, and
// refusing it keeps a mistaken pick (a disk image, a video) from eating memory.
// Reading and saving share the limit, so a save never writes a file that the
// next open would refuse.
inline constexpr std::size_t kMaxSetupFileBytes = 16u * 1024u * 1024u;

// Reads the whole file. An empty optional means the file does not exist,
// which the profile reader treats as an empty file. A folder, a device or
// pipe, an unreadable or oversized file is an error naming the file and the
// reason. Never blocks on a pipe.
FileResult<std::optional<std::string>> readWholeFile(const std::string& path,
                                                     std::size_t maxBytes = kMaxSetupFileBytes);

// The steps of a save, so a test can make any one of them fail the way a
// full disk or a read-only folder would.
enum class SaveStep { CreateTemporary, Write, Flush, Rename };

// Asked before each step; returning a non-zero errno value makes that step
// fail with it. Empty in the program.
using SaveFaultHook = std::function<int(SaveStep)>;

// Replaces the file's contents by bytes, atomically. A symbolic link is
// followed so the link stays a link; an existing file keeps its permission
// bits. Temporary files an earlier, interrupted save of the same file left
// beside it are removed. A folder where no file can be created is named as
// "not writable". Returns the error, or nothing when the new contents are
// safely on disk.
std::optional<FileError> replaceFileAtomically(const std::string& path, std::string_view bytes,
                                               const SaveFaultHook& fault = {});

// The message texts used by both, so a reader of one error reads the same
// wording everywhere.
FileError readError(const std::string& path, std::string reason);
FileError saveError(const std::string& path, std::string reason);

} // namespace zvx
