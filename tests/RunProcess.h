// Runs a program with the given arguments and environment additions, and returns its exit
// status and what it wrote to standard output and standard error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

struct ProcessResult {
    int status = -1;  // exit status, or -1 if it did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::vector<std::string>& extraEnv = {})
{
    char outPath[] = "/tmp/membrane-out-XXXXXX";
    char errPath[] = "/tmp/membrane-err-XXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);

    std::vector<std::string> argStore = {program};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> envp;
    for (std::string& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    ProcessResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        if (WIFEXITED(wstatus))
            result.status = WEXITSTATUS(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    unlink(outPath);
    unlink(errPath);
    return result;
}

// Calls call(out, err) with two streams in memory, and keeps what it wrote to them.
template <class Call>
auto CaptureStreams(Call call, std::string& out, std::string& err)
{
    char* outData = nullptr;
    char* errData = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* outStream = open_memstream(&outData, &outSize);
    std::FILE* errStream = open_memstream(&errData, &errSize);
    auto result = call(outStream, errStream);
    std::fclose(outStream);
    std::fclose(errStream);
    out.assign(outData, outSize);
    err.assign(errData, errSize);
    std::free(outData);
    std::free(errData);
    return result;
}
