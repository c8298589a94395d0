// The whole command line of membrane-solve, one argument per line of the input, parsed by the
// tool's own parser. Every file the parsed options name is moved into a scratch folder of the
// run before it runs, so that nothing is written elsewhere,
// and the drawing library is one that is not there. Properties: the exit status is one of the
// five; a refused run writes nothing on standard output and says why on standard error; a run
// that solved says nothing on standard error but a note on its mesh's accuracy; no temporary
// file is left behind.
#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "FuzzSupport.h"
#include "batch/Tool.h"
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
bool TooMuchWork(const ToolOptions& options)
{
    const std::int32_t divX = ConvertCount(options.divX), divY = ConvertCount(options.divY);
    const std::int32_t threads = options.threads.empty() ? 1 : ConvertCount(options.threads);
    const std::string_view value = options.taskValue;
    const long long points =
        options.task == Task::Sweep ? ConvertCount(value.substr(value.rfind(':') + 1)) : 0;
    const bool resonance = options.task != Task::Solve;
    const bool beyondTheDialog = !options.lenient && (divX > 90 || divY > 30);
    return points > 64 || threads > 8 || (resonance && (divX > 12 || divY > 6)) ||
           (beyondTheDialog && (divX > 400 || divY > 60));
}

void ClearScratch(std::string_view input)
{
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder())) {
        // A temporary file left behind means a write that was neither finished nor undone.
        FUZZ_CHECK(!entry.path().filename().string().starts_with("."), input);
        std::filesystem::remove_all(entry.path());
    }
}

// Parses the arguments once and runs what they ask for, every file they name moved into the
// scratch folder. Returns -1 for a run that would take too long.
int RunArguments(const std::vector<std::string>& args, std::FILE* out, std::FILE* err)
{
    const std::vector<std::string_view> views(args.begin(), args.end());
    const ParsedArguments parsed = ParseArguments(views, out, err);
    if (!parsed.options)
        return parsed.status;
    ToolOptions options = *parsed.options;
    if (TooMuchWork(options))
        return -1;
    int files = 0;
    for (const OptionRow& row : OptionTable())
        if (row.kind == ValueKind::File && !(options.*row.text).empty())
            options.*row.text = ScratchName(options.*row.text, files++);
    return RunParsed(options, ToolContext{out, err, ScratchFolder() + "/no-figures.so"});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = AsText(data, size);
    const std::vector<std::string> args = SplitLines(input);
    if (args.size() > 24)
        return -1;

    char* outData = nullptr;
    char* errData = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = ::open_memstream(&outData, &outSize);
    std::FILE* err = ::open_memstream(&errData, &errSize);
    const int status = RunArguments(args, out, err);
    std::fclose(out);
    std::fclose(err);
    const std::string written(outData, outSize), said(errData, errSize);
    std::free(outData);
    std::free(errData);
    if (status == -1)
        return -1;

    FUZZ_CHECK(status >= kExitSolved && status <= kExitWriteFailed, input);
    if (status == kExitRejected || status == kExitUsage) {
        FUZZ_CHECK(written.empty(), input);
        FUZZ_CHECK(!said.empty() && said.back() == '\n', input);
    }
    if (status == kExitUsage)
        FUZZ_CHECK(said.starts_with("membrane-solve: ") || said.starts_with("usage: "), input);
    // A run that solved says nothing on standard error but, on a coarse mesh, one note.
    if (status == kExitSolved)
        FUZZ_CHECK(said.empty() || (said.starts_with("membrane-solve: note: ") &&
                                    said.find('\n') == said.size() - 1),
                   input);
    if (status == kExitWriteFailed)
        FUZZ_CHECK(said.starts_with("membrane-solve: cannot "), input);
    ClearScratch(input);
    return 0;
}
