// membrane-solve: the dialog's computation without a window.
#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

#include "batch/Tool.h"

int main(int argc, char** argv)
{
    // A reader that goes away makes a write fail with EPIPE, which is reported, instead of
    // ending the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return RunTool(args, stdout, stderr);
}
