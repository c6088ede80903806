#include "platform/atomic_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "file_size_limit.h"
#include "file_text.h"
#include "temp_folder.h"

namespace ts {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Only the named files: no temporary file is ever left behind.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFileTest, CreatesANewFileWithTheUsualPermissions) {
    TempFolder folder;
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(ReplaceFileContents(folder / "f", "new\r\n"));
    ::umask(mask);
    EXPECT_EQ(ReadAll(folder / "f"), "new\r\n");
    EXPECT_EQ(ModeOf(folder / "f"), 0644u);
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"f"});
}

TEST(AtomicFileTest, ReplacesKeepingThePermissions) {
    TempFolder folder;
    WriteAll(folder / "f", "old contents that are longer");
    ::chmod((folder / "f").c_str(), 0640);
    EXPECT_TRUE(ReplaceFileContents(folder / "f", "new"));
    EXPECT_EQ(ReadAll(folder / "f"), "new");
    EXPECT_EQ(ModeOf(folder / "f"), 0640u);
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"f"});
}

TEST(AtomicFileTest, ASymlinkKeepsPointingAtItsReplacedTarget) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "real");
    WriteAll(folder / "real/target", "old");
    ::chmod((folder / "real/target").c_str(), 0600);
    // A relative link to a relative link.
    std::filesystem::create_symlink("real/target", folder / "middle");
    std::filesystem::create_symlink("middle", folder / "link");

    EXPECT_TRUE(ReplaceFileContents(folder / "link", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "middle"));
    EXPECT_EQ(ReadAll(folder / "real/target"), "new");
    EXPECT_EQ(ModeOf(folder / "real/target"), 0600u);
    EXPECT_EQ(Names(folder / "real"), std::vector<std::string>{"target"});

    // A dangling link gets its target created.
    std::filesystem::create_symlink("real/absent", folder / "dangling");
    EXPECT_TRUE(ReplaceFileContents(folder / "dangling", "made"));
    EXPECT_EQ(ReadAll(folder / "real/absent"), "made");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "dangling"));

    // A loop of links is a failure, not a hang.
    std::filesystem::create_symlink("loop2", folder / "loop1");
    std::filesystem::create_symlink("loop1", folder / "loop2");
    EXPECT_FALSE(ReplaceFileContents(folder / "loop1", "x"));
}

TEST(AtomicFileTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    TempFolder folder;
    const std::string old = "old line 1\r\nold line 2\r\n";
    WriteAll(folder / "f", old);
    {
        FileSizeLimit full(8);
        EXPECT_FALSE(ReplaceFileContents(folder / "f", std::string(4096, 'n')));
    }
    EXPECT_EQ(ReadAll(folder / "f"), old);
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"f"});
}

TEST(AtomicFileTest, AHardLinkedFileIsWrittenInPlaceSoEveryNameSeesIt) {
    TempFolder folder;
    WriteAll(folder / "f", "old contents");
    std::filesystem::create_hard_link(folder / "f", folder / "other");
    EXPECT_TRUE(ReplaceFileContents(folder / "f", "new"));
    EXPECT_EQ(ReadAll(folder / "f"), "new");
    EXPECT_EQ(ReadAll(folder / "other"), "new");
}

TEST(AtomicFileTest, RefusesWhatIsNotARegularFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "dir");
    EXPECT_FALSE(ReplaceFileContents(folder / "dir", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dir"));
    EXPECT_FALSE(ReplaceFileContents(folder / "no-such-folder/f", "x"));
}

// Runs `body` in a child process as an unprivileged user (permissions do not bind root);
// whether it returned true.
bool AsNobody(const std::function<bool()>& body) {
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Runs `body` as an unprivileged user who owns everything in `folder`. Returns body's result.
bool AsUnprivilegedUser(const std::string& folder, bool (*body)(const std::string&)) {
    if (::geteuid() != 0) return body(folder);
    constexpr uid_t kNobody = 65534;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (::chown(entry.path().c_str(), kNobody, kNobody) != 0) return false;
    }
    return AsNobody([&] { return body(folder); });
}

TEST(AtomicFileTest, AnUnwritableFolderFallsBackToWritingTheFileInPlace) {
    TempFolder folder;
    WriteAll(folder / "f", "old contents");
    ::chmod((folder / "f").c_str(), 0666);
    ::chmod(folder.path().c_str(), 0555);
    const bool ok = AsUnprivilegedUser(folder.path(), [](const std::string& dir) {
        // The file is rewritten where it is; a new file cannot be made.
        return ReplaceFileContents(dir + "/f", "new") &&
               !ReplaceFileContents(dir + "/absent", "new");
    });
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadAll(folder / "f"), "new");
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"f"});
}

// The rename needs leave of the folder only; the file's own permissions must be asked too.
TEST(AtomicFileTest, AnotherUsersFileThatWeMayNotWriteIsNotReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the file to another user";
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    WriteAll(folder / "theirs", "kept");
    ::chmod((folder / "theirs").c_str(), 0644);
    EXPECT_TRUE(AsNobody([&] { return !ReplaceFileContents(folder / "theirs", "new"); }));
    EXPECT_EQ(ReadAll(folder / "theirs"), "kept");
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"theirs"});
}

}  // namespace
}  // namespace ts
