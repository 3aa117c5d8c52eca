#pragma once
// What a setup-file read or save hands back: the value, or the file that
// failed and why, worded so it can go straight into a message box.

#include <string>
#include <utility>
#include <variant>

namespace zvx {

struct FileError {
    std::string path;     // the file as the user named it
    std::string reason;   // e.g. "No space left on device"
    std::string message;  // a whole sentence naming the file and the reason
};

template <typename T>
class FileResult {
public:
    FileResult(T value) : state_(std::move(value)) {}
    FileResult(FileError error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(state_); }
    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const FileError& error() const { return std::get<FileError>(state_); }

private:
    std::variant<T, FileError> state_;
};

} // namespace zvx
