#pragma once
// File names between the file system and the windows. A Linux file name is
// bytes; Qt holds names as UTF-8 text and turns bytes that are not UTF-8 (a
// name written by an older tool in Latin-1, say) into replacement
// characters, after which the name opens another file or none. Here each
// byte that is not part of valid UTF-8 travels in the QString as the lone
// surrogate U+DC80 + byte (no real name contains one; Python and other tools
// use the same convention) and comes back as that very byte. Valid names
// convert exactly as QFile::encodeName / decodeName convert them.

#include <QString>
#include <string>
#include <string_view>

namespace zvx {

// The name as the program shows and passes it.
QString fileNameFromNative(std::string_view bytes);

// The bytes the file system knows the name by.
std::string nativeFileName(const QString& name);

} // namespace zvx
