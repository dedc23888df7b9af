// volcatra-cli read into an existing catalogue: the same-volume question
// answered by --replace / --add, on a terminal, or refused without one;
// the new volume's name and comment; and runs that must leave the file as
// it was. Runs that might ask on a terminal run in a child process of
// their own session, without a terminal or on a pseudo-terminal.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "model/CatalogueFile.h"
#include "model/FileNameCodec.h"

namespace volcatra {
namespace {

struct CliResult {
    int status;
    std::string out;
    std::string err;
    std::string terminal;  // what the run wrote to its terminal
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CliResult RunTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str(), {}};
}

// Runs the tool in a child process that leads a session of its own, so it
// has no controlling terminal, or, with `input`, has a pseudo-terminal as
// its controlling terminal on which `input` is typed.
CliResult RunInOwnSession(const std::vector<std::string>& args, const std::string& scratch,
                          const std::string* input = nullptr) {
    int master = -1;
    std::string slaveName;
    if (input) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return {-1, {}, {}, {}};
        slaveName = ::ptsname(master);
    }
    const std::string outPath = scratch + "/child.out";
    const std::string errPath = scratch + "/child.err";
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        if (input) {
            ::close(master);
            if (::open(slaveName.c_str(), O_RDWR) < 0) ::_exit(101);  // becomes the controlling terminal
        }
        std::ostringstream out, err;
        const int status = RunCli(args, out, err);
        std::ofstream(outPath) << out.str();
        std::ofstream(errPath) << err.str();
        ::_exit(status);
    }
    // Types the input once the question is on the terminal, and collects
    // everything written there until the child has ended.
    std::string terminal;
    int wstatus = 0;
    bool ended = false;
    bool typed = !input;
    for (int waited = 0; !ended && waited < 20000; waited += 10) {
        if (input) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buffer[512];
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n > 0) terminal.append(buffer, size_t(n));
            } else if (p.revents) {
                ::usleep(10000);  // no terminal side open (yet, or any more)
            }
            if (!typed && terminal.find("C=cancel] ") != std::string::npos) {
                typed = ::write(master, input->data(), input->size()) == ssize_t(input->size());
            }
        } else {
            ::usleep(10000);
        }
        ended = ::waitpid(child, &wstatus, WNOHANG) == child;
    }
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &wstatus, 0);
    }
    if (input) ::close(master);
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, ReadAll(outPath), ReadAll(errPath), terminal};
}

// Runs the tool where permissions hold: in-process for an ordinary user,
// in a child that has given up root's privileges (as "nobody") for root.
// Status 77: that child cannot reach the folder `scratch`.
CliResult RunWithoutPrivileges(const std::vector<std::string>& args, const std::string& scratch) {
    if (::geteuid() != 0) return RunTool(args);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {-1, {}, {}, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(102);
        if (::access(scratch.c_str(), R_OK | X_OK) != 0) ::_exit(77);
        std::ostringstream out, err;
        const int status = RunCli(args, out, err);
        const std::string text = err.str();
        if (::write(pipeFds[1], text.data(), text.size()) != ssize_t(text.size())) ::_exit(103);
        ::_exit(status);
    }
    ::close(pipeFds[1]);
    std::string err;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) err.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    int wstatus = 0;
    ::waitpid(child, &wstatus, 0);
    return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, {}, err, {}};
}

class ReadVerbEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "volcatra-readedit-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        char* real = ::realpath(pattern.c_str(), nullptr);
        m_dir = real;
        std::free(real);
        ASSERT_EQ(::mkdir((m_dir + "/tree").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((m_dir + "/tree/sub").c_str(), 0755), 0);
        std::ofstream(m_dir + "/tree/a.txt") << "abcd";
        std::ofstream(m_dir + "/tree/sub/b.txt") << "b";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string Tree() const { return m_dir + "/tree"; }
    std::string Catalogue() const { return m_dir + "/out.fsr"; }
    RootList Roots() const { return LoadCatalogueFile(Catalogue(), HeaderAcceptance::Document); }

    std::string m_dir;
};

TEST_F(ReadVerbEditTest, ReplaceKeepsPositionNameAndCommentAddAppends) {
    CliResult r = RunTool({"read", Tree(), "-o", Catalogue(), "--name", "Photos", "--comment=box 1"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\t')), "Photos") << "the summary shows the given name";
    r = RunTool({"read", Tree() + "/sub", "-o", Catalogue()});  // another folder: nothing to ask
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    r = RunTool({"read", Tree(), "-o", Catalogue(), "--add"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    RootList roots = Roots();
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0]->m_name, u"Photos");
    EXPECT_EQ(roots[0]->m_comment, u"box 1");
    EXPECT_TRUE(roots[2]->m_name.empty()) << "an added volume has no name of its own";
    EXPECT_EQ(roots[2]->m_serialNumber, roots[0]->m_serialNumber);
    const std::vector<uint8_t> second = WriteCatalogue({roots[1].get()});

    // Read again in place of the first match: the volume keeps its place,
    // its comment and (given anew) its name, and shows the new file.
    std::ofstream(Tree() + "/new.txt") << "new";
    r = RunTool({"read", Tree(), "-o", Catalogue(), "--replace", "--name", "Photos 2"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    roots = Roots();
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0]->m_name, u"Photos 2");
    EXPECT_EQ(roots[0]->m_comment, u"box 1");
    EXPECT_EQ(roots[0]->m_fileCount, 3u);
    EXPECT_EQ(WriteCatalogue({roots[1].get()}), second) << "the other volumes stay as they were";
    EXPECT_EQ(roots[2]->m_fileCount, 2u);

    // --replace with nothing recorded for the medium simply adds.
    r = RunTool({"read", Tree() + "/sub", "-o", m_dir + "/fresh.fsr", "--replace", "--comment", "c"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    const RootList fresh = LoadCatalogueFile(m_dir + "/fresh.fsr", HeaderAcceptance::Document);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0]->m_comment, u"c");
}

TEST_F(ReadVerbEditTest, TheQuestionIsAskedOnTheTerminalOrRefusedWithoutOne) {
    ASSERT_EQ(RunTool({"read", Tree(), "-o", Catalogue(), "--comment", "kept"}).status, CLI_OK);
    struct Case {
        const char* name;
        const char* input;  // typed on the terminal; nullptr: no terminal
        int status;
        size_t volumes;     // afterwards; 1 with the file unchanged when nothing was read
        const char* error;  // expected on the error stream
    };
    const Case cases[] = {
        {"no terminal", nullptr, CLI_FILE_OR_USAGE_ERROR, 1, "give --replace or --add"},
        {"cancel", "\n", CLI_GENERAL_FAILURE, 1, "nothing was read"},
        {"replace", "y\n", CLI_OK, 1, ""},
        {"add", "n\n", CLI_OK, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A new file in the tree makes every read change the catalogue, even
        // one within the second of the last (the read time has seconds only).
        std::ofstream(Tree() + "/" + c.name + ".txt") << c.name;
        const std::string before = ReadAll(Catalogue());
        const std::string input = c.input ? c.input : "";
        const CliResult r = RunInOwnSession({"read", Tree(), "-o", Catalogue()}, m_dir, c.input ? &input : nullptr);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
        const std::string question =
            "同じメディアまたはフォルダがすでに記録されています。\n記録されている内容を置き換えますか？";
        if (c.input) {
            // The terminal turns "\n" into "\r\n" on output.
            EXPECT_NE(r.terminal.find("記録されている内容を置き換えますか？ [y=replace/n=add/C=cancel]"),
                      std::string::npos)
                << r.terminal;
        } else {
            EXPECT_NE(r.err.find(question), std::string::npos) << r.err;
        }
        const RootList roots = Roots();
        ASSERT_EQ(roots.size(), c.volumes);
        EXPECT_EQ(roots[0]->m_comment, u"kept");
        EXPECT_EQ(ReadAll(Catalogue()) == before, c.status != CLI_OK) << "changed only by a read";
    }
}

TEST_F(ReadVerbEditTest, UsageErrorsAndFailuresLeaveTheFileUntouched) {
    ASSERT_EQ(RunTool({"read", Tree(), "-o", Catalogue()}).status, CLI_OK);
    const std::string before = ReadAll(Catalogue());
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"read", Tree(), "-o", Catalogue(), "--replace", "--add"}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
        {{"read", Tree(), "-o", Catalogue(), "--name"}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
        {{"read", Tree(), "-o", Catalogue(), "--name", "a", "--name=b"}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
        {{"read", Tree(), "-o", Catalogue(), "--comment", "a", "--comment", "b"}, CLI_FILE_OR_USAGE_ERROR, "Usage:"},
        {{"read", m_dir + "/missing", "-o", Catalogue(), "--replace"}, CLI_GENERAL_FAILURE, "読み取りに失敗しました"},
        {{"read", m_dir + "/missing", "-o", Catalogue(), "--add", "--name", "x"},
         CLI_GENERAL_FAILURE,
         "読み取りに失敗しました"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunTool(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(Catalogue()), before);
    }

    // A subfolder that cannot be listed fails the read as a whole (not
    // testable where permissions do not hold, as for root).
    ASSERT_EQ(::chmod(Catalogue().c_str(), 0644), 0);
    ASSERT_EQ(::chmod((Tree() + "/sub").c_str(), 0), 0);
    if (::access((Tree() + "/sub").c_str(), R_OK) != 0) {
        for (const char* flag : {"--replace", "--add"}) {
            const CliResult r = RunTool({"read", Tree(), "-o", Catalogue(), flag});
            EXPECT_EQ(r.status, CLI_GENERAL_FAILURE) << flag;
            EXPECT_NE(r.err.find("読み取りに失敗しました"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("/tree/sub: "), std::string::npos) << r.err;
            EXPECT_EQ(ReadAll(Catalogue()), before) << flag;
        }
    }
    ::chmod((Tree() + "/sub").c_str(), 0755);
}

// A catalogue that cannot be saved (a read-only file, or a folder that
// takes no new file, the save's temporary file) is refused before anything
// is read: even a read path that does not exist is not looked at.
TEST_F(ReadVerbEditTest, ACatalogueThatCannotBeSavedIsRefusedBeforeTheRead) {
    ASSERT_EQ(RunTool({"read", Tree(), "-o", Catalogue()}).status, CLI_OK);
    const std::string before = ReadAll(Catalogue());
    const std::string folder = m_dir + "/locked";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(m_dir.c_str(), 0755), 0);  // for a child that runs as nobody
    struct Case {
        const char* what;
        std::string catalogue;
        bool exists;
    };
    const Case cases[] = {
        {"read-only catalogue", Catalogue(), true},
        {"writable catalogue in a folder that is not", folder + "/out.fsr", true},
        {"new catalogue in a folder that is not writable", folder + "/new.fsr", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.exists && c.catalogue != Catalogue()) std::filesystem::copy_file(Catalogue(), c.catalogue);
        // Read-only by its mode (which holds for root as well); the folder
        // by its permissions, for a user that does not own it.
        ASSERT_EQ(::chmod(Catalogue().c_str(), 0444), 0);
        if (c.catalogue != Catalogue()) {
            if (c.exists) {
                ASSERT_EQ(::chmod(c.catalogue.c_str(), 0666), 0);
            }
            ASSERT_EQ(::chmod(folder.c_str(), ::geteuid() == 0 ? 0755 : 0555), 0);
        }
        for (const std::string& path : {Tree(), m_dir + "/missing"}) {
            const CliResult r = RunWithoutPrivileges({"read", path, "-o", c.catalogue, "--add"}, m_dir);
            if (r.status == 77) GTEST_SKIP() << "nobody cannot reach " << m_dir;
            EXPECT_EQ(r.status, CLI_FILE_OR_USAGE_ERROR) << path << ": " << r.err;
            EXPECT_EQ(r.err, c.catalogue + " へのアクセスは拒否されました。\n") << path;
        }
        struct stat st {};
        if (c.exists) {
            EXPECT_EQ(ReadAll(c.catalogue), before);
        } else {
            EXPECT_NE(::stat(c.catalogue.c_str(), &st), 0) << "no file was made";
        }
        ::chmod(folder.c_str(), 0755);
        ::chmod(Catalogue().c_str(), 0644);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no file was left behind";
}

// On a file system that keeps case apart, a folder whose name differs
// from a recorded one only by case is another folder: --replace adds it
// instead of replacing the recorded one.
TEST_F(ReadVerbEditTest, AFolderDifferingOnlyInCaseIsAnotherFolder) {
    ASSERT_EQ(::mkdir((m_dir + "/TREE").c_str(), 0755), 0);
    std::ofstream(m_dir + "/TREE/other.txt") << "x";
    ASSERT_EQ(RunTool({"read", Tree(), "-o", Catalogue(), "--comment", "the lower one"}).status, CLI_OK);
    const CliResult r = RunTool({"read", m_dir + "/TREE", "-o", Catalogue(), "--replace"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    const RootList roots = Roots();
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0]->m_comment, u"the lower one");
    EXPECT_EQ(roots[0]->m_fileCount, 2u) << "the recorded folder keeps its contents";
    EXPECT_EQ(roots[1]->m_fileCount, 1u);
    EXPECT_TRUE(roots[1]->m_comment.empty());
}

}  // namespace
}  // namespace volcatra
