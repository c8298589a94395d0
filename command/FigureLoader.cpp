// dlopen of the drawing library, by a path relative to the running program or module.
#include "command/FigureLoader.h"

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

// Where an installation puts it, relative to `folder`, unless only the build tree's is there.
std::string FigureLibraryFor(const std::string& folder, const std::string& installed,
                             const std::string& built)
{
    const std::string fromInstall = folder + "/" + installed + "/" + kLibraryName;
    const std::string fromBuild = folder + "/" + built + kLibraryName;
    if (::access(fromInstall.c_str(), F_OK) != 0 && ::access(fromBuild.c_str(), F_OK) == 0)
        return fromBuild;
    return fromInstall;
}

}  // namespace

std::string DefaultFigureLibrary()
{
    return FigureLibraryFor(ProgramFolder(), MEMBRANE_FIGURES_FROM_BINDIR, "");
}

std::string ModuleFigureLibrary(const void* address)
{
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return kLibraryName;
    const std::string module = info.dli_fname;
    const std::size_t slash = module.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : module.substr(0, slash);
    // A wheel carries the library in the package, beside the module.
    const std::string beside = folder + "/" + kLibraryName;
    if (::access(beside.c_str(), F_OK) == 0)
        return beside;
    return FigureLibraryFor(folder, MEMBRANE_FIGURES_FROM_PYTHON, "../");
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
