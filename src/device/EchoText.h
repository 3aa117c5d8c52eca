#pragma once
// A text from the user (a command-line argument, a script word, a value from
// a file) quoted back in a message: cut to 80 bytes, not inside a UTF-8
// character, with "..." when cut, and with control characters written as
// escapes (\t, \n, \r, \x1B), so a stray escape sequence or line break cannot
// garble the terminal or split the message.

#include <string>
#include <string_view>

namespace zvx {

inline constexpr std::size_t kMaxEchoedBytes = 80;

std::string echoText(std::string_view text);

} // namespace zvx
