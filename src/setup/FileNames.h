#pragma once
// File-name rules of the setup-file commands: what the save dialog appends,
// which dropped or command-line files are opened, what the caption shows.
// Paths are UTF-8 bytes. Setup files travel between Windows benches and
// Linux ones, so both "\" and "/" separate folders.

#include <string>
#include <string_view>

namespace zvx {

// The text with leading and trailing spaces removed and then, when it both
// starts and ends with a double quote, those two quotes removed. A lone quote
// becomes empty.
std::string stripQuotes(std::string_view text);

// The text after the last "\" or "/"; empty when the path has neither.
std::string getFileName(std::string_view path);

// The text after the last "."; empty when there is no "." or a "\" or "/"
// comes after it.
std::string getFileExtension(std::string_view path);

// The name to save under: the name chosen in the dialog, with ".zvx" appended
// unless it already ends in exactly ".INI", ".ini", ".ZVX" or ".zvx"
// (so "setup.Zvx" becomes "setup.Zvx.zvx").
std::string dialogFileName(std::string_view chosen);

// Whether a command-line or dropped file is opened: its extension must be
// exactly "zvx" (case-sensitive), so "bench.ZVX" is ignored.
bool isSetupFileExtension(std::string_view path);

// stripQuotes, then one trailing "\" or "/" removed, then whether that names
// a regular file that can be opened for reading. A folder, a missing file or
// any error reads as false. Never blocks on a pipe.
bool fileExists(std::string_view path);

// The same name rules as fileExists, but whether the name is there at all,
// as whatever it is (a folder, a FIFO, a file without read permission); it
// is looked up, never opened.
bool nameExists(std::string_view path);

// The main window caption for a setup file:
// "Velmora Clockworks Company, Inc.                 .zvx File: " + getFileName(path).
std::string setupFileCaption(std::string_view path);

// The text of the File > Save confirmation box: the file name, a carriage
// return, "This file already exists.", two carriage returns and
// "Replace existing file?".
std::string saveConfirmationText(std::string_view currentSetupFile);

} // namespace zvx
