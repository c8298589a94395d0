// The whole command line of membrane-solve, one argument per line of the input. Every file an
// option names is moved into a scratch folder of the run, so that nothing is written elsewhere,
// and the drawing library is one that is not there. Properties: the exit status is one of the
// five; a refused run writes nothing on standard output and says why on standard error; a run
// that solved says nothing on standard error; no temporary file is left behind.
#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "FuzzSupport.h"
#include "batch/SolveTool.h"
#include "batch/ToolOptions.h"
#include "command/InputConversion.h"

namespace {

const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/membrane-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return folder;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// "-" stays standard output; any other file name becomes the scratch folder's file number k.
std::string ScratchName(std::string_view name, int k)
{
    return name == "-" ? std::string(name) : ScratchFolder() + "/out" + std::to_string(k);
}

// Work that would take seconds (thousands of resonances, long sweeps, hundreds of threads) is
// left out: it adds no parsing, only time.
bool TooMuchWork(const std::vector<std::string>& args)
{
    std::int32_t divX = 90, divY = 30, threads = 1;
    long long points = 0;
    bool resonance = false;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::size_t eq = args[k].find('=');
        const std::string_view name = std::string_view(args[k]).substr(0, eq);
        const std::string_view value = eq != std::string::npos ? std::string_view(args[k]).substr(eq + 1)
                                       : k + 1 < args.size() ? std::string_view(args[k + 1])
                                                             : std::string_view();
        if (name == "--divx")
            divX = ConvertCount(value);
        else if (name == "--divy")
            divY = ConvertCount(value);
        else if (name == "--threads")
            threads = ConvertCount(value);
        else if (name == "--sweep")
            points = ConvertCount(value.substr(value.rfind(':') + 1));
        resonance = resonance || name == "--modes" || name == "--modes-in" || name == "--sweep" ||
                    name == "--shape" || name == "--shapes";
    }
    return points > 64 || threads > 8 || (resonance && (divX > 12 || divY > 6));
}

void ClearScratch(std::string_view input)
{
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder())) {
        // A temporary file left behind means a write that was neither finished nor undone.
        FUZZ_CHECK(!entry.path().filename().string().starts_with("."), input);
        std::filesystem::remove_all(entry.path());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = AsText(data, size);
    std::vector<std::string> args = SplitLines(input);
    if (args.size() > 24 || TooMuchWork(args))
        return -1;
    int files = 0;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const OptionRow* row = FindOption(std::string_view(args[k]).substr(0, args[k].find('=')));
        if (!row || (row->kind != ValueKind::File && row->kind != ValueKind::ModeFile))
            continue;
        // A ModeFile option's file follows its value: one argument further on.
        const std::size_t eq = args[k].find('=');
        const std::size_t at = k + (row->kind == ValueKind::ModeFile) + (eq == std::string::npos);
        if (at == k)
            args[k] = args[k].substr(0, eq + 1) + ScratchName(args[k].substr(eq + 1), files++);
        else if (at < args.size())
            args[at] = ScratchName(args[at], files++);
    }

    char* outData = nullptr;
    char* errData = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = ::open_memstream(&outData, &outSize);
    std::FILE* err = ::open_memstream(&errData, &errSize);
    const std::vector<std::string_view> views(args.begin(), args.end());
    const int status =
        RunSolveTool(views, ToolContext{out, err, ScratchFolder() + "/no-figures.so"});
    std::fclose(out);
    std::fclose(err);
    const std::string written(outData, outSize), said(errData, errSize);
    std::free(outData);
    std::free(errData);

    FUZZ_CHECK(status >= kExitSolved && status <= kExitWriteFailed, input);
    if (status == kExitRejected || status == kExitUsage) {
        FUZZ_CHECK(written.empty(), input);
        FUZZ_CHECK(!said.empty() && said.back() == '\n', input);
    }
    if (status == kExitUsage)
        FUZZ_CHECK(said.starts_with("membrane-solve: ") || said.starts_with("usage: "), input);
    if (status == kExitSolved)
        FUZZ_CHECK(said.empty(), input);
    if (status == kExitWriteFailed)
        FUZZ_CHECK(said.starts_with("membrane-solve: cannot "), input);
    ClearScratch(input);
    return 0;
}
