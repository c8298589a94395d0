// Shared by the fuzz targets: a failed property ends the run loudly, with the input's text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Ends the process with the broken property and the input, as a crash the fuzzer keeps.
#define FUZZ_CHECK(condition, input)                                                            \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "property broken: %s\n  at %s:%d\n  input (%zu bytes): %.*s\n", \
                         #condition, __FILE__, __LINE__, (input).size(),                        \
                         static_cast<int>((input).size()), (input).data());                     \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)

inline std::string_view AsText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

inline bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
