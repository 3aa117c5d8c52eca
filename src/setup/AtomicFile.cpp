#include "setup/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zvx {

namespace {

std::string reasonFor(int err)
{
    if (err == EISDIR)
        return "it is a folder, not a file";
    return std::generic_category().message(err);
}

// Closes a descriptor when it goes out of scope, so every early return of a
// read or save releases what it opened.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports close()'s own error (NFS reports late write
    // failures there), 0 when all went well.
    int close()
    {
        if (fd_ < 0)
            return 0;
        int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }
    void reset() { (void)close(); }
    void adopt(int fd)
    {
        reset();
        fd_ = fd;
    }

private:
    int fd_;
};

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::size_t kTemporarySuffixLength = 12;

// The start of the temporary names a save of baseName uses: hidden, short
// enough for the file system's name limit.
std::string temporaryPrefixFor(const std::string& baseName)
{
    return std::string(".").append(baseName, 0, 200).append(".tmp-");
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// A name beside the target that no other save picks: the prefix and a
// random suffix.
std::string temporaryNameFor(const std::string& folder, const std::string& baseName, std::mt19937_64& random)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string suffix(kTemporarySuffixLength, '0');
    auto bits = random();
    for (char& c : suffix) {
        c = digits[bits & 0xF];
        bits >>= 4;
    }
    return inFolder(folder, temporaryPrefixFor(baseName) + suffix);
}

// Temporary files of earlier saves of the same file that never got renamed
// (the program was killed, the machine lost power): each save removes them,
// so they do not pile up beside the setup file. Only names exactly of the
// save's own form are touched.
void removeLeftoverTemporaries(const std::string& folder, const std::string& baseName)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const std::string prefix = temporaryPrefixFor(baseName);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() != prefix.size() + kTemporarySuffixLength || name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view suffix = name.substr(prefix.size());
        if (suffix.find_first_not_of("0123456789abcdef") != std::string_view::npos)
            continue;
        const std::string path = inFolder(folder, std::string(name));
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            (void)::unlink(path.c_str());
    }
    ::closedir(dir);
}

// Why no file could be created beside the target.
std::string createReason(const std::string& folder, int err)
{
    if (err == EACCES || err == EPERM || err == EROFS)
        return "the folder \"" + folder + "\" is not writable (" + std::generic_category().message(err) + ")";
    return reasonFor(err);
}

} // namespace

FileError readError(const std::string& path, std::string reason)
{
    std::string message = "Could not read the file \"" + path + "\": " + reason + ".";
    return FileError{path, std::move(reason), std::move(message)};
}

FileError saveError(const std::string& path, std::string reason)
{
    std::string message = "Could not save the file \"" + path + "\": " + reason +
                          ". The file on disk was left as it was.";
    return FileError{path, std::move(reason), std::move(message)};
}

FileResult<std::optional<std::string>> readWholeFile(const std::string& path, std::size_t maxBytes)
{
    if (path.empty())
        return readError(path, "no file name was given");

    // O_NONBLOCK: a named pipe given by mistake must not hang the program in open().
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid()) {
        if (errno == ENOENT)
            return std::optional<std::string>{};
        return readError(path, reasonFor(errno));
    }

    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return readError(path, reasonFor(errno));
    if (S_ISDIR(info.st_mode))
        return readError(path, reasonFor(EISDIR));
    if (!S_ISREG(info.st_mode))
        return readError(path, "it is not a regular file");
    const std::string tooLarge = "it is larger than " + std::to_string(maxBytes) + " bytes, too large for a setup file";
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return readError(path, tooLarge);

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return readError(path, reasonFor(errno));
        }
        if (n == 0)
            break;
        // The file may grow while it is read; the limit holds regardless.
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes)
            return readError(path, tooLarge);
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return std::optional<std::string>{std::move(bytes)};
}

std::optional<FileError> replaceFileAtomically(const std::string& path, std::string_view bytes,
                                               const SaveFaultHook& fault)
{
    if (path.empty())
        return saveError(path, "no file name was given");

    auto injected = [&](SaveStep step) { return fault ? fault(step) : 0; };

    // Write through a link to the file it names, so the link survives the save.
    std::string target = path;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(target.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }

    bool exists = false;
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return saveError(path, reasonFor(EISDIR));
        if (!S_ISREG(info.st_mode))
            return saveError(path, "it is not a regular file");
        exists = true;
    } else if (errno != ENOENT) {
        return saveError(path, reasonFor(errno));
    }

    const std::string folder = folderOf(target);
    std::random_device seed;
    std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed() ^ static_cast<std::uint64_t>(::getpid()));

    removeLeftoverTemporaries(folder, baseNameOf(target));

    std::string temporary;
    Descriptor fd;
    for (int attempt = 0; attempt < 32 && !fd.valid(); ++attempt) {
        temporary = temporaryNameFor(folder, baseNameOf(target), random);
        if (int err = injected(SaveStep::CreateTemporary))
            return saveError(path, createReason(folder, err));
        // 0666 lets the user's umask decide, as for any new file.
        const int created = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        const int err = errno;
        fd.adopt(created);
        if (!fd.valid() && err != EEXIST)
            return saveError(path, createReason(folder, err));
    }
    if (!fd.valid())
        return saveError(path, "no temporary file could be created beside it");

    // From here on every failure removes the temporary file again.
    auto failWith = [&](int err) {
        fd.reset();
        ::unlink(temporary.c_str());
        return saveError(path, reasonFor(err));
    };

    if (exists)
        (void)::fchmod(fd.get(), info.st_mode & 07777);

    std::size_t done = 0;
    while (done < bytes.size()) {
        if (int err = injected(SaveStep::Write))
            return failWith(err);
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failWith(errno);
        }
        if (n == 0)
            return failWith(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (bytes.empty()) {
        if (int err = injected(SaveStep::Write))
            return failWith(err);
    }

    if (int err = injected(SaveStep::Flush))
        return failWith(err);
    if (::fsync(fd.get()) != 0)
        return failWith(errno);
    if (int err = fd.close())
        return failWith(err);

    if (int err = injected(SaveStep::Rename))
        return failWith(err);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return failWith(errno);

    // Make the rename itself durable. The new contents are already in place,
    // so a folder that cannot be synced (some file systems refuse) is no
    // reason to tell the user the save failed.
    Descriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.valid())
        (void)::fsync(folderFd.get());
    return std::nullopt;
}

} // namespace zvx
