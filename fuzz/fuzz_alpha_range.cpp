// The range texts A0:A1 and A0:A1:N: a taken range has finite bounds in order, each the strict
// reading of its field, and written back as the shortest texts it reads the same; a refused one
// gets a one-line message naming the option.
#include <cmath>

#include "FuzzSupport.h"
#include "batch/ToolSupport.h"
#include "command/InputConversion.h"
#include "command/RunArguments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool withCount = data[0] & 1;  // the first byte chooses the form
    const std::string_view text = AsText(data + 1, size - 1);
    std::string error;
    const std::optional<AlphaRange> range = ReadAlphaRange("--sweep", text, withCount, error);
    if (!range) {
        FUZZ_CHECK(error.starts_with("--sweep "), text);
        FUZZ_CHECK(error.find('\n') == std::string::npos, text);
        return 0;
    }
    FUZZ_CHECK(std::isfinite(range->a0) && std::isfinite(range->a1), text);
    FUZZ_CHECK(range->a0 <= range->a1, text);
    const std::size_t colon = text.find(':');
    FUZZ_CHECK(SameBits(*ReadFiniteNumber(text.substr(0, colon)), range->a0), text);

    std::string written = Shortest(range->a0) + ':' + Shortest(range->a1);
    if (withCount)
        (written += ':') += range->count;
    const std::optional<AlphaRange> again = ReadAlphaRange("--sweep", written, withCount, error);
    FUZZ_CHECK(again && SameBits(again->a0, range->a0) && SameBits(again->a1, range->a1) &&
                   again->count == range->count,
               text);
    return 0;
}
