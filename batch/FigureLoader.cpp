// dlopen of the drawing library, by a path relative to the running program.
#include "batch/FigureLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace {

constexpr const char* kLibraryName = "membrane-figures.so";

std::string ProgramFolder()
{
    std::vector<char> path(PATH_MAX);
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0)
        return ".";
    const std::string program(path.data(), static_cast<std::size_t>(n));
    return program.substr(0, program.rfind('/'));
}

}  // namespace

std::string DefaultFigureLibrary()
{
    const std::string folder = ProgramFolder();
    const std::string installed =
        folder + "/" + MEMBRANE_FIGURES_FROM_BINDIR + "/" + kLibraryName;
    const std::string beside = folder + "/" + kLibraryName;
    if (::access(installed.c_str(), F_OK) != 0 && ::access(beside.c_str(), F_OK) == 0)
        return beside;
    return installed;
}

LoadedFigures LoadFigureLibrary(const std::string& path)
{
    // Never closed: Qt keeps state in it for the life of the process.
    void* const handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return {nullptr, ::dlerror()};
    const auto entry = reinterpret_cast<FigureApiEntry>(::dlsym(handle, kFigureApiSymbol));
    if (!entry)
        return {nullptr, path + " has no " + kFigureApiSymbol};
    const FigureApi* api = entry();
    if (!api || api->version != kFigureApiVersion)
        return {nullptr, path + " was built from other sources than this program"};
    return {api, {}};
}
