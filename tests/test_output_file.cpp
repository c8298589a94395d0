// Output files as membrane-solve writes them: whole or not at all where the path is a regular
// file or a new name, in place where it is a pipe, a device or a descriptor, never replacing
// what it was given. Runs as root and, through the test command, as a normal user; the device
// cases need root to make their nodes, in a folder of the test's own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "RunProcess.h"
#include "command/OutputFile.h"

namespace {

namespace fs = std::filesystem;

class OutputFile : public testing::Test {
protected:
    void SetUp() override
    {
        std::signal(SIGPIPE, SIG_IGN);
        std::string pattern = testing::TempDir() + "membrane-output-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern + "/";
        m_sink = std::tmpfile();
    }
    void TearDown() override
    {
        std::fclose(m_sink);
        fs::remove_all(m_dir);
    }

    std::error_code Write(const std::string& name, std::string_view bytes)
    {
        return WriteOutputFile(name, bytes, m_sink);
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static mode_t Mode(const std::string& path)
    {
        struct stat st {};
        ::lstat(path.c_str(), &st);
        return st.st_mode;
    }

    std::string m_dir;
    std::FILE* m_sink = nullptr;
};

TEST_F(OutputFile, NewNamesAndRegularFilesAreReplacedWholeKeepingTheirBits)
{
    const mode_t mask = ::umask(022);
    EXPECT_FALSE(Write(m_dir + "new.csv", "a,b\n"));
    EXPECT_EQ(ReadWholeFile(m_dir + "new.csv"), "a,b\n");
    EXPECT_EQ(Mode(m_dir + "new.csv") & 07777, 0644u);

    // A file with bits of its own keeps them, and is a new file: a reader of the old one keeps
    // the old bytes whole.
    ASSERT_EQ(::chmod((m_dir + "new.csv").c_str(), 0640), 0);
    const int oldReader = ::open((m_dir + "new.csv").c_str(), O_RDONLY);
    EXPECT_FALSE(Write(m_dir + "new.csv", "replaced\n"));
    EXPECT_EQ(ReadWholeFile(m_dir + "new.csv"), "replaced\n");
    EXPECT_EQ(Mode(m_dir + "new.csv") & 07777, 0640u);
    char old[8] = {};
    EXPECT_EQ(::read(oldReader, old, sizeof old), 4);
    EXPECT_EQ(std::string(old, 4), "a,b\n");
    ::close(oldReader);
    EXPECT_EQ(Entries(), std::vector<std::string>{"new.csv"});  // no temporary file left
    ::umask(mask);
}

TEST_F(OutputFile, LinksStayLinksAndTheirTargetsAreReplaced)
{
    fs::create_directories(m_dir + "data");
    ASSERT_FALSE(Write(m_dir + "data/w.csv", "old\n"));
    ASSERT_EQ(::chmod((m_dir + "data/w.csv").c_str(), 0600), 0);
    fs::create_symlink("data/w.csv", m_dir + "link.csv");     // relative to the link's folder
    fs::create_symlink(m_dir + "link.csv", m_dir + "chain.csv");  // a link to a link
    EXPECT_FALSE(Write(m_dir + "chain.csv", "new\n"));
    EXPECT_TRUE(S_ISLNK(Mode(m_dir + "link.csv")));
    EXPECT_TRUE(S_ISLNK(Mode(m_dir + "chain.csv")));
    EXPECT_EQ(ReadWholeFile(m_dir + "data/w.csv"), "new\n");
    EXPECT_EQ(Mode(m_dir + "data/w.csv") & 07777, 0600u);

    // A link to a name not yet there: the file is made where it points.
    fs::create_symlink("data/later.csv", m_dir + "dangling.csv");
    EXPECT_FALSE(Write(m_dir + "dangling.csv", "made\n"));
    EXPECT_TRUE(S_ISLNK(Mode(m_dir + "dangling.csv")));
    EXPECT_EQ(ReadWholeFile(m_dir + "data/later.csv"), "made\n");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"chain.csv", "dangling.csv", "data", "link.csv"}));
}

TEST_F(OutputFile, FailuresLeaveNothingAndSayWhy)
{
    fs::create_directories(m_dir + "taken");
    EXPECT_EQ(Write(m_dir + "taken", "x"), std::errc::is_a_directory);
    EXPECT_EQ(Write(m_dir + "missing/w.csv", "x"), std::errc::no_such_file_or_directory);
    EXPECT_EQ(Write(m_dir + "taken/../../nowhere/w", "x"), std::errc::no_such_file_or_directory);
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});

    // A file its owner made read-only is not replaced behind the owner's back (root may write
    // any file, as with any other tool).
    ASSERT_FALSE(Write(m_dir + "frozen.csv", "keep\n"));
    ASSERT_EQ(::chmod((m_dir + "frozen.csv").c_str(), 0444), 0);
    const std::error_code frozen = Write(m_dir + "frozen.csv", "lost\n");
    if (::geteuid() != 0) {
        EXPECT_EQ(frozen, std::errc::permission_denied);
        EXPECT_EQ(ReadWholeFile(m_dir + "frozen.csv"), "keep\n");
    }
}

TEST_F(OutputFile, NamedPipeIsWrittenInPlaceToItsReader)
{
    const std::string fifo = m_dir + "w.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string bytes(200000, 'w');  // more than the pipe holds at once
    auto reader = std::async(std::launch::async, [&] { return ReadWholeFile(fifo); });
    EXPECT_FALSE(Write(fifo, bytes));
    EXPECT_EQ(reader.get(), bytes);
    EXPECT_TRUE(S_ISFIFO(Mode(fifo)));

    // A reader that leaves early: the write fails with EPIPE, and says so.
    auto early = std::async(std::launch::async, [&] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        char first[16];
        const ssize_t n = ::read(fd, first, sizeof first);
        ::close(fd);
        return n;
    });
    EXPECT_EQ(Write(fifo, bytes), std::errc::broken_pipe);
    EXPECT_GT(early.get(), 0);
    EXPECT_TRUE(S_ISFIFO(Mode(fifo)));
}

TEST_F(OutputFile, DescriptorsAndStandardOutputFollowWhatWasWritten)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "table\n", 6), 6);
    EXPECT_FALSE(Write("/dev/fd/" + std::to_string(fds[1]), "csv\n"));
    ::close(fds[1]);
    char got[16] = {};
    EXPECT_EQ(::read(fds[0], got, sizeof got), 10);
    EXPECT_EQ(std::string(got), "table\ncsv\n");
    ::close(fds[0]);

    // A descriptor that leads to a regular file: the bytes follow those already there.
    const int file = ::open((m_dir + "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_EQ(::write(file, "table\n", 6), 6);
    EXPECT_FALSE(Write("/proc/self/fd/" + std::to_string(file), "csv\n"));
    ::close(file);
    EXPECT_EQ(ReadWholeFile(m_dir + "out.txt"), "table\ncsv\n");

    // A socket cannot be opened again by its name, and a pipe of another user's may not be
    // (sudo): the descriptor the process holds is written through as it is. A name of a
    // descriptor that is not open says so.
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_FALSE(Write("/dev/fd/" + std::to_string(pair[0]), "through the socket\n"));
    EXPECT_FALSE(Write("/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(pair[0]),
                       "again\n"));
    ::close(pair[0]);
    char received[64] = {};
    EXPECT_EQ(::read(pair[1], received, sizeof received), 25);
    EXPECT_EQ(std::string(received), "through the socket\nagain\n");
    ::close(pair[1]);
    EXPECT_EQ(Write("/dev/fd/" + std::to_string(pair[1]), "closed\n"), std::errc::bad_file_descriptor);

    EXPECT_FALSE(Write("-", "to the stream\n"));
    std::rewind(m_sink);
    char line[32] = {};
    ASSERT_NE(std::fgets(line, sizeof line, m_sink), nullptr);
    EXPECT_STREQ(line, "to the stream\n");
}

TEST_F(OutputFile, DeviceNodesAreWrittenInPlaceAndTheirErrorsReported)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making device nodes needs root";
    // The null and full devices, as nodes of this test's own folder.
    const std::string null = m_dir + "null", full = m_dir + "full";
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0);
    EXPECT_FALSE(Write(null, "into nothing\n"));
    EXPECT_EQ(Write(full, "no room\n"), std::errc::no_space_on_device);
    EXPECT_TRUE(S_ISCHR(Mode(null)));
    EXPECT_TRUE(S_ISCHR(Mode(full)));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"full", "null"}));
}

// Two outputs that would end in one file are known by what they reach: links, other spellings
// and a descriptor of a regular file among them; what is written in place loses nothing.
TEST_F(OutputFile, TwoNamesOfOneFileAreKnownByWhatTheyReach)
{
    const std::string a = m_dir + "a";
    EXPECT_TRUE(OutputsShareAFile(a, m_dir + "./a"));           // new, spelt two ways
    fs::create_directory(m_dir + "sub");
    EXPECT_TRUE(OutputsShareAFile(a, m_dir + "sub/../a"));
    EXPECT_FALSE(OutputsShareAFile(a, m_dir + "b"));
    ASSERT_FALSE(Write(a, "x"));
    EXPECT_TRUE(OutputsShareAFile(a, m_dir + "./a"));           // existing, by its inode
    fs::create_symlink(a, m_dir + "link");
    EXPECT_TRUE(OutputsShareAFile(m_dir + "link", a));
    fs::create_hard_link(a, m_dir + "hard");
    EXPECT_TRUE(OutputsShareAFile(m_dir + "hard", a));
    fs::create_symlink(m_dir + "new", m_dir + "dangling");      // a link to a new name
    EXPECT_TRUE(OutputsShareAFile(m_dir + "dangling", m_dir + "new"));
    EXPECT_FALSE(OutputsShareAFile(m_dir + "dangling", a));

    // A device and a pipe take any number of outputs.
    EXPECT_FALSE(OutputsShareAFile("/dev/null", "/dev/null"));
    ASSERT_EQ(::mkfifo((m_dir + "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(OutputsShareAFile(m_dir + "fifo", m_dir + "./fifo"));

    // Standard output on a regular file is that file, for a name that would replace it; two
    // outputs through the descriptor append and both stay.
    const int saved = ::dup(STDOUT_FILENO);
    const int fd = ::open(a.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_GE(::dup2(fd, STDOUT_FILENO), 0);
    const bool replaced = OutputsShareAFile("-", a);
    const bool appended = OutputsShareAFile("-", "/dev/stdout");
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    ::close(fd);
    EXPECT_TRUE(replaced);
    EXPECT_FALSE(appended);
}

}  // namespace
