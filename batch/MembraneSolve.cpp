// membrane-solve: the dialog's computation without a window.
#include <cstdio>
#include <string_view>
#include <vector>

#include "batch/SolveTool.h"

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return RunSolveTool(args, stdout, stderr);
}
