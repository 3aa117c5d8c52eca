#include "setup/FileNames.h"

#include <array>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zvx {

namespace {

constexpr std::string_view kSeparators = "\\/";

} // namespace

std::string stripQuotes(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.front() == '"' && text.back() == '"')
        text = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string_view();
    return std::string(text);
}

std::string getFileName(std::string_view path)
{
    const auto separator = path.find_last_of(kSeparators);
    if (separator == std::string_view::npos)
        return {};
    return std::string(path.substr(separator + 1));
}

std::string getFileExtension(std::string_view path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const auto separator = path.find_last_of(kSeparators);
    if (separator != std::string_view::npos && separator > dot)
        return {};
    return std::string(path.substr(dot + 1));
}

std::string dialogFileName(std::string_view chosen)
{
    static constexpr std::array<std::string_view, 4> kKept = {".INI", ".ini", ".ZVX", ".zvx"};
    const std::string_view lastFour = chosen.size() >= 4 ? chosen.substr(chosen.size() - 4) : chosen;
    for (std::string_view kept : kKept) {
        if (lastFour == kept)
            return std::string(chosen);
    }
    return std::string(chosen) + ".zvx";
}

bool isSetupFileExtension(std::string_view path)
{
    return getFileExtension(path) == "zvx";
}

namespace {

// stripQuotes, then one trailing separator removed; nothing when no name is left.
std::optional<std::string> existenceName(std::string_view path)
{
    std::string name = stripQuotes(path);
    if (!name.empty() && kSeparators.find(name.back()) != std::string_view::npos)
        name.pop_back();
    if (name.empty() || name.find('\0') != std::string::npos)
        return std::nullopt;
    return name;
}

} // namespace

bool fileExists(std::string_view path)
{
    const auto name = existenceName(path);
    if (!name)
        return false;
    const int fd = ::open(name->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

bool nameExists(std::string_view path)
{
    const auto name = existenceName(path);
    struct stat info {};
    return name && ::stat(name->c_str(), &info) == 0;
}

std::string setupFileCaption(std::string_view path)
{
    return "Velmora Clockworks Company, Inc.                 .zvx File: " + getFileName(path);
}

std::string saveConfirmationText(std::string_view currentSetupFile)
{
    return std::string(currentSetupFile) + "\rThis file already exists.\r\rReplace existing file?";
}

} // namespace zvx
