// Writes the table of a computation with the start-up inputs, as the core alone produces it,
// for the end-to-end test to compare with the clipboard.
#include <cstdio>
#include <string>

#include "TestSupport.h"
#include "command/ComputeCommand.h"

int main()
{
    auto record = MakeRecord();
    RecordingSink sink;
    RunCompute(*record, kDefaultInputs, sink);
    std::fwrite(sink.table.data(), 1, sink.table.size(), stdout);
    return 0;
}
