// Where membrane-solve puts an output file, and how. "-" is standard output. The name of a
// descriptor the process holds (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) is
// written through that descriptor, as a shell writes to it. An existing path that is not a
// regular file (a named pipe, a device, a terminal) is opened and written in place, never
// replaced. A regular file or a new name is written whole or
// not at all: the bytes go to a temporary file beside it, which is renamed over it once
// complete, keeping the permission bits; a symbolic link stays a link and its target is replaced.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

// The file name that stands for standard output.
inline constexpr std::string_view kStandardOutputName = "-";

// Writes `bytes` to the file `name`, or to `out` when name is "-". `out` is flushed first in
// any case, so that what went to standard output before stays ahead of a file that shares its
// descriptor. Returns the reason of a failure (ENOSPC, EPIPE, EACCES, ...), or no error.
std::error_code WriteOutputFile(const std::string& name, std::string_view bytes, std::FILE* out);

// Whether two output names would end in one file, so that the second written replaces the
// first. Names are compared by what they reach, not by how they are spelt: an existing file by
// its device and inode (through links and descriptor names alike), a new one by its folder's
// resolved path and its name. Two outputs written in place (a pipe, a device such as /dev/null,
// a descriptor such as standard output) lose nothing and do not collide.
bool OutputsShareAFile(const std::string& a, const std::string& b);

// Writes `bytes` to the stream and flushes it; returns the reason of a failure, or no error.
std::error_code WriteToStream(std::FILE* out, std::string_view bytes);
