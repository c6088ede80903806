// The Windows platform folder's files: names in UTF-8 with letters of any alphabet, identity by
// volume and file index, folders with drive letters, the read-only attribute.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "file_text.h"
#include "platform/atomic_file.h"
#include "platform/data_folder.h"
#include "platform/file_status.h"
#include "platform/link_target.h"
#include "platform/same_file.h"
#include "platform/system_file.h"
#include "platform/windows/wide_text.h"
#include "temp_folder.h"

namespace ts {
namespace {

namespace fs = std::filesystem;

TEST(WindowsFilesTest, CyrillicNamesAreWrittenReadAndFoundOnAnySystemLanguage) {
    TempFolder folder;
    const std::string path = folder / "Калибровка №1.txt";
    SystemFile out;
    ASSERT_TRUE(out.OpenForWriting(path, false));
    ASSERT_EQ(out.Write("0 0\r\n", 5), 5u);
    ASSERT_TRUE(out.SyncData());
    ASSERT_TRUE(out.Close());
    // The wide name the system holds is the one we meant, letter for letter.
    EXPECT_TRUE(fs::exists(fs::path(Widen(path))));
    EXPECT_FALSE(out.OpenForWriting(path, false)) << "an existing file must be refused";

    SystemFile in;
    ASSERT_TRUE(in.OpenRegularForReading(path));
    char buffer[16];
    EXPECT_EQ(in.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(in.Read(buffer, sizeof buffer), 0);
    EXPECT_FALSE(NothingAt(path));
    EXPECT_FALSE(FileMissing(path));
    EXPECT_TRUE(FileMissing(folder / "Нет.txt"));
    EXPECT_TRUE(IsFolder(folder.path()));
    EXPECT_TRUE(MayWriteFile(path));
    EXPECT_TRUE(MayCreateIn(folder.path()));
}

TEST(WindowsFilesTest, OnlyDiskFilesAreReadAndWritesCanBeCutBack) {
    TempFolder folder;
    SystemFile file;
    EXPECT_FALSE(file.OpenRegularForReading("NUL"));
    EXPECT_FALSE(file.OpenRegularForReading(folder.path()));
    ASSERT_TRUE(file.OpenForWriting(folder / "t.txt", true));
    ASSERT_EQ(file.Write("abcdef", 6), 6u);
    ASSERT_TRUE(file.TruncateAt(2));
    ASSERT_EQ(file.Write("XY", 2), 2u);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadAll(folder / "t.txt"), "abXY");
    // A device's name is no file, even the null device's.
    EXPECT_FALSE(file.OpenForWriting("NUL", true));
}

TEST(WindowsFilesTest, SameFileByIdentityAndNewNamesWithoutRegardToCase) {
    TempFolder folder;
    WriteAll(folder / "Файл.txt", "x");
    const std::string full = folder / "Файл.txt";
    const std::string dotted = folder.path() + "\\.\\Файл.txt";
    EXPECT_TRUE(SameFile(full, dotted));
    EXPECT_TRUE(SameFile(full, folder / "ФАЙЛ.TXT"));
    ASSERT_TRUE(
        ::CreateHardLinkW(Widen(folder / "link.txt").c_str(), Widen(full).c_str(), nullptr));
    EXPECT_TRUE(SameFile(full, folder / "link.txt"));
    EXPECT_FALSE(SameFile(full, folder / "new.txt"));
    // Neither exists yet: one file if they would create one.
    EXPECT_TRUE(SameFile(folder / "Новый.txt", folder.path() + "/sub/../НОВЫЙ.TXT"));
    EXPECT_FALSE(SameFile(folder / "Новый.txt", folder / "Новый2.txt"));
}

TEST(WindowsFilesTest, FolderOfKnowsDrivesSharesAndBothSlashes) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\data\\r.txt", "C:\\data"},
        {"C:/data/r.txt", "C:/data"},
        {"C:\\r.txt", "C:\\"},
        {"C:r.txt", "C:"},
        {"r.txt", "."},
        {"\\r.txt", "\\"},
        {"/r.txt", "/"},
        {"\\\\server\\share\\r.txt", "\\\\server\\share\\"},
        {"data\\sub/r.txt", "data\\sub"},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(FolderOf(path), folder) << path;
}

TEST(WindowsFilesTest, TheAtomicReplaceLeavesAReadOnlyFileAndNoTemporaryBehind) {
    TempFolder folder;
    const std::string path = folder / "Настройки.bin";
    ASSERT_TRUE(ReplaceFileContents(path, "first\r\n"));
    ASSERT_TRUE(ReplaceFileContents(path, "second\r\n"));
    EXPECT_EQ(ReadAll(path), "second\r\n");

    ASSERT_TRUE(::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(MayWriteFile(path));
    EXPECT_FALSE(ReplaceFileContents(path, "third\r\n"));
    EXPECT_EQ(ReadAll(path), "second\r\n");
    EXPECT_NE(::GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(ReplaceFileContents(folder.path(), "a folder\r\n"));
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        entries += !entry.is_directory();
    EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

TEST(WindowsFilesTest, OnlyAnEmptyPlainFileIsRemoved) {
    TempFolder folder;
    WriteAll(folder / "empty.txt", "");
    WriteAll(folder / "full.txt", "x");
    RemoveIfEmptyRegularFile(folder / "empty.txt");
    RemoveIfEmptyRegularFile(folder / "full.txt");
    RemoveIfEmptyRegularFile(folder.path());
    EXPECT_TRUE(NothingAt(folder / "empty.txt"));
    EXPECT_FALSE(NothingAt(folder / "full.txt"));
    EXPECT_TRUE(IsFolder(folder.path()));
}

// The local folder, not the roaming one (%APPDATA%), which a domain copies at every logon.
TEST(WindowsFilesTest, TheUserDataFolderIsTheProgramsFolderInLocalAppData) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
    EXPECT_EQ(UserDataFolder(), Narrow(local) + "\\trend-station");
}

}  // namespace
}  // namespace ts
