// Output files with POSIX calls: in place for what is not a regular file, through a temporary
// file and a rename for what is.
#include "batch/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace {

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

// Writes every byte to the descriptor, through short writes and interruptions.
std::error_code WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Names of a descriptor this process holds open: /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N, /proc/PID/fd/N. Whatever was written through the descriptor stays, and the
// file's bytes follow it, also when the descriptor leads to a regular file.
bool NamesDescriptor(std::string_view name)
{
    if (name == "/dev/stdout" || name == "/dev/stderr" || StartsWith(name, "/dev/fd/") ||
        StartsWith(name, "/proc/self/fd/") || StartsWith(name, "/proc/thread-self/fd/"))
        return true;
    if (!StartsWith(name, "/proc/"))
        return false;
    std::size_t i = 6;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9')
        ++i;
    return i > 6 && StartsWith(name.substr(i), "/fd/");
}

// Opens an existing file as it is and writes to it: a pipe, a device, a terminal.
std::error_code WriteInPlace(const std::string& path, std::string_view bytes, bool append)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (append ? O_APPEND : 0));
    if (fd < 0)
        return LastError();
    std::error_code error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && !error)
        error = LastError();
    return error;
}

// Follows a chain of symbolic links to the path it ends at, which need not exist yet.
std::error_code FollowLinks(std::string& path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return errno == ENOENT ? std::error_code() : LastError();
        if (!S_ISLNK(st.st_mode))
            return {};
        std::vector<char> target(PATH_MAX);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return LastError();
        if (static_cast<std::size_t>(n) == target.size())
            return std::make_error_code(std::errc::filename_too_long);
        const std::string_view link(target.data(), static_cast<std::size_t>(n));
        const std::size_t slash = path.rfind('/');
        if (link.starts_with('/') || slash == std::string::npos)
            path = link;
        else
            path = path.substr(0, slash + 1) + std::string(link);
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// The mode bits a new file gets from open(..., 0666): the process's umask taken off. The umask
// can only be read by setting it, so it is set back at once; the tool creates files on one
// thread only.
mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes a temporary file beside `path` and renames it to `path` once it is complete and on the
// disk. `existing` is the regular file it replaces, whose permission bits (and, for root, owner)
// the new one takes; null for a new name.
std::error_code ReplaceWhole(const std::string& path, std::string_view bytes,
                             const struct stat* existing)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "." + base + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return LastError();

    std::error_code error;
    const mode_t mode = existing ? existing->st_mode & 07777 : NewFileMode();
    if (::fchmod(fd, mode) != 0)
        error = LastError();
    if (!error && existing && ::geteuid() == 0) {
        // Root gives the file back to its owner; where the file system cannot, it stays root's.
        [[maybe_unused]] const int owned = ::fchown(fd, existing->st_uid, existing->st_gid);
    }
    if (!error)
        error = WriteAll(fd, bytes);
    if (!error && ::fdatasync(fd) != 0)
        error = LastError();
    if (::close(fd) != 0 && !error)
        error = LastError();
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = LastError();
    if (error)
        ::unlink(temporary.c_str());
    return error;
}

}  // namespace

std::error_code WriteToStream(std::FILE* out, std::string_view bytes)
{
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fflush(out) != 0)
        return errno != 0 ? LastError() : std::make_error_code(std::errc::io_error);
    return {};
}

std::error_code WriteOutputFile(const std::string& name, std::string_view bytes, std::FILE* out)
{
    if (name == kStandardOutputName)
        return WriteToStream(out, bytes);
    std::fflush(out);
    if (NamesDescriptor(name))
        return WriteInPlace(name, bytes, true);

    struct stat st {};
    if (::stat(name.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return WriteInPlace(name, bytes, false);
        std::string target = name;
        if (const std::error_code error = FollowLinks(target))
            return error;
        // A file the user may not write is not replaced behind its back.
        if (::access(target.c_str(), W_OK) != 0)
            return LastError();
        return ReplaceWhole(target, bytes, &st);
    }
    if (errno != ENOENT)
        return LastError();
    // A new name, or a link to one: the file is created where the link points.
    std::string target = name;
    if (const std::error_code error = FollowLinks(target))
        return error;
    return ReplaceWhole(target, bytes, nullptr);
}
