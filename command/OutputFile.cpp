// Output files with POSIX calls: in place for what is not a regular file, through a temporary
// file and a rename for what is.
#include "command/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
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

// The number at the start of text and how many digits it has; -1 for none or one too large.
int LeadingNumber(std::string_view text, std::size_t& digits)
{
    long long value = 0;
    for (digits = 0; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        value = value * 10 + (text[digits] - '0');
        if (value > INT_MAX)
            return -1;
    }
    return digits > 0 ? static_cast<int>(value) : -1;
}

// The descriptor of this process that a name stands for: /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N, /proc/thread-self/fd/N and /proc/<our pid>/fd/N; -1 for any other name.
int NamedDescriptor(std::string_view name)
{
    if (name == "/dev/stdout")
        return STDOUT_FILENO;
    if (name == "/dev/stderr")
        return STDERR_FILENO;
    std::string_view rest;
    for (std::string_view prefix : {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/"})
        if (StartsWith(name, prefix))
            rest = name.substr(prefix.size());
    if (rest.empty() && StartsWith(name, "/proc/")) {
        std::size_t digits = 0;
        const int pid = LeadingNumber(name.substr(6), digits);
        if (pid == ::getpid() && StartsWith(name.substr(6 + digits), "/fd/"))
            rest = name.substr(6 + digits + 4);
    }
    std::size_t digits = 0;
    const int fd = LeadingNumber(rest, digits);
    return fd >= 0 && digits == rest.size() ? fd : -1;
}

// Names of a descriptor some process holds open, /proc/PID/fd/N of another among them.
bool NamesDescriptor(std::string_view name)
{
    if (NamedDescriptor(name) >= 0)
        return true;
    if (!StartsWith(name, "/proc/"))
        return false;
    std::size_t digits = 0;
    return LeadingNumber(name.substr(6), digits) >= 0 && StartsWith(name.substr(6 + digits), "/fd/");
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

// A path's folder, with its slash ("" for a bare name), and the name within it.
struct PathParts {
    std::string folder;
    std::string base;
};
PathParts SplitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
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
        // A relative link is relative to the folder of the link itself.
        path = link.starts_with('/') ? std::string(link)
                                     : SplitPath(path).folder + std::string(link);
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
    const auto [folder, base] = SplitPath(path);
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

// What an output name reaches: the file it writes in place or replaces, by inode where it
// exists, by resolved path where it is new.
struct OutputTarget {
    bool inPlace = false;  // written through as it is, never replaced
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;  // of a new file: its folder resolved, then its name
};

OutputTarget TargetOf(const std::string& name)
{
    OutputTarget target;
    struct stat st {};
    int fd = name == kStandardOutputName ? STDOUT_FILENO : NamedDescriptor(name);
    bool found = false;
    if (fd >= 0) {
        target.inPlace = true;
        found = ::fstat(fd, &st) == 0;
    } else {
        target.inPlace = NamesDescriptor(name);
        found = ::stat(name.c_str(), &st) == 0;
    }
    if (found) {
        target.inPlace = target.inPlace || !S_ISREG(st.st_mode);
        target.exists = true;
        target.device = st.st_dev;
        target.inode = st.st_ino;
        return target;
    }
    std::string path = name;
    if (FollowLinks(path))
        return target;  // an error that the write will report
    const auto [folder, base] = SplitPath(path);
    if (char* resolved = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr)) {
        target.path = std::string(resolved) + '/' + base;
        std::free(resolved);
    }
    return target;
}

}  // namespace

bool OutputsShareAFile(const std::string& a, const std::string& b)
{
    const OutputTarget one = TargetOf(a);
    const OutputTarget other = TargetOf(b);
    if (one.inPlace && other.inPlace)
        return false;
    if (one.exists && other.exists)
        return one.device == other.device && one.inode == other.inode;
    return !one.exists && !other.exists && !one.path.empty() && one.path == other.path;
}

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
    // A descriptor of this process is written through as it is, at its own offset, as a shell
    // writes to it: opening its name again can be refused (a pipe of another user's, through
    // sudo) or impossible (a socket). Whatever was written through it stays ahead.
    if (const int fd = NamedDescriptor(name); fd >= 0) {
        if (::fcntl(fd, F_GETFD) < 0)
            return LastError();
        return WriteAll(fd, bytes);
    }
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
