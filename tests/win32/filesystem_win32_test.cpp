#include "win32/filesystem_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/wide.h"

namespace sonorin {
namespace {

std::string tempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, buffer);
    return win32::narrow(buffer);
}

class Win32FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(fs.createFolder(folder)); }
    void TearDown() override {
        for (const char* name : {"录音 1.wav", "录音 2.wav", "其他.wav", "电台 录音.wav"}) {
            DeleteFileW(win32::wide(folder + "\\" + name).c_str());
        }
        RemoveDirectoryW(win32::wide(folder).c_str());
    }

    Win32FileSystem fs;
    // Chinese and a blank in the folder name, the awkward case for short names and MCI.
    const std::string folder =
        tempFolder() + "sonorin 测试 " + std::to_string(GetCurrentProcessId());
};

TEST_F(Win32FileSystemTest, FolderSearchWithATrailingBackslashLooksInside) {
    EXPECT_EQ(fs.findFirst(folder + "\\", true), ".");
    EXPECT_EQ(fs.findFirst(folder + "\\", false), "");  // no files yet
    EXPECT_EQ(fs.findFirst(folder + "\\不存在\\", true), "");
    EXPECT_FALSE(fs.createFolder(folder));  // already there

    const std::string name = folder.substr(folder.rfind('\\') + 1);
    EXPECT_EQ(fs.findFirst(folder, true), name);
    EXPECT_EQ(fs.findFirst(folder, false), "");

    ASSERT_TRUE(fs.createEmptyFile(folder + "\\其他.wav"));
    EXPECT_EQ(fs.findFirst(folder + "\\", false), "其他.wav");
}

TEST_F(Win32FileSystemTest, FilesWithBlanksAndChineseNames) {
    const std::string file = folder + "\\录音 1.wav";
    EXPECT_EQ(fs.findFirst(file, false), "");
    EXPECT_FALSE(fs.shortPath(file).has_value());
    EXPECT_FALSE(fs.deleteFile(file));

    ASSERT_TRUE(fs.createEmptyFile(file));
    EXPECT_EQ(fs.findFirst(file, false), "录音 1.wav");
    const auto shortForm = fs.shortPath(file);
    ASSERT_TRUE(shortForm.has_value());
    EXPECT_EQ(shortForm->find(' '), std::string::npos) << *shortForm;
    EXPECT_EQ(fs.findFirst(*shortForm, false), "录音 1.wav");

    ASSERT_TRUE(fs.createEmptyFile(folder + "\\其他.wav"));
    EXPECT_FALSE(fs.renameFile(file, folder + "\\其他.wav"));  // never replaces
    EXPECT_EQ(fs.findFirst(file, false), "录音 1.wav");
    EXPECT_TRUE(fs.renameFile(*shortForm, folder + "\\录音 2.wav"));
    EXPECT_EQ(fs.findFirst(file, false), "");
    EXPECT_EQ(fs.findFirst(folder + "\\录音 2.wav", false), "录音 2.wav");

    EXPECT_TRUE(fs.deleteFile(folder + "\\录音 2.wav"));
    EXPECT_EQ(fs.findFirst(folder + "\\录音 2.wav", false), "");
    EXPECT_FALSE(fs.createEmptyFile(folder + "\\没有\\a.wav"));
}

TEST_F(Win32FileSystemTest, ProgramFolderHoldsTheExecutable) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::string exe = win32::narrow(module);
    const std::string programFolder = fs.programFolder();
    ASSERT_FALSE(programFolder.empty());
    EXPECT_NE(programFolder.back(), '\\');
    EXPECT_EQ(programFolder + "\\" + fs.findFirst(exe, false), exe);
}

TEST_F(Win32FileSystemTest, WholeFilesAreWrittenReadAndReplaced) {
    const std::string a = folder + "\\其他.wav";
    const std::string b = folder + "\\录音 1.wav";
    const std::string bytes("8:05:00\t\xB1\xB1\r\n\0\xFF", 14);
    EXPECT_FALSE(fs.readFile(a).has_value());
    ASSERT_TRUE(fs.writeFile(a, bytes));
    EXPECT_EQ(fs.readFile(a), bytes);
    ASSERT_TRUE(fs.writeFile(b, "old"));
    ASSERT_TRUE(fs.replaceFile(a, b));
    EXPECT_EQ(fs.readFile(b), bytes);
    EXPECT_FALSE(fs.readFile(a).has_value()) << "the source is gone";
    ASSERT_TRUE(fs.writeFile(b, ""));
    EXPECT_EQ(fs.readFile(b), std::string());
    EXPECT_FALSE(fs.writeFile(folder + "\\不存在\\x.ini", "x"));
    EXPECT_FALSE(fs.replaceFile(a, b)) << "no source";
}

TEST_F(Win32FileSystemTest, FileSizeCountsTheBytesOfFilesOnly) {
    const std::string file = folder + "\\录音 2.wav";
    EXPECT_FALSE(fs.fileSize(file).has_value());
    EXPECT_FALSE(fs.fileSize(folder).has_value()) << "a folder has no file size";
    HANDLE h = CreateFileW(win32::wide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const std::string bytes(70001, 'x');
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(fs.fileSize(file), std::optional<std::uint64_t>(70001));
}

TEST_F(Win32FileSystemTest, StreamsGrowInPlaceAndMoveWithoutReplacing) {
    const std::string take = folder + "\\电台 录音.wav";
    auto file = fs.createStream(take);
    ASSERT_TRUE(file);
    EXPECT_FALSE(fs.createStream(take)) << "an existing file is never truncated";
    ASSERT_TRUE(file->append("headBODY", 8));
    ASSERT_TRUE(file->writeAt(0, "HEAD", 4));
    ASSERT_TRUE(file->append("!", 1));
    EXPECT_EQ(file->readAt(2, 100), "ADBODY!");
    ASSERT_TRUE(file->flush());
    // A player may open the file while it grows (sharing it with the writer, as it must).
    HANDLE reader =
        CreateFileW(win32::wide(take).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    char seen[16] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(reader, seen, sizeof seen, &got, nullptr));
    CloseHandle(reader);
    EXPECT_EQ(std::string(seen, got), "HEADBODY!");
    ASSERT_TRUE(file->close());

    auto again = fs.openStream(take);
    ASSERT_TRUE(again);
    ASSERT_TRUE(again->writeAt(4, "body", 4));
    again.reset();
    EXPECT_EQ(fs.readFile(take), "HEADbody!");

    EXPECT_EQ(fs.filesIn(folder), std::vector<std::string>{"电台 录音.wav"});
    ASSERT_TRUE(fs.createEmptyFile(folder + "\\其他.wav"));
    EXPECT_FALSE(fs.moveFile(take, folder + "\\其他.wav")) << "the target exists";
    ASSERT_TRUE(fs.moveFile(take, folder + "\\录音 1.wav"));
    EXPECT_EQ(fs.readFile(folder + "\\录音 1.wav"), "HEADbody!");
    EXPECT_FALSE(fs.fileSize(take));
    EXPECT_GT(fs.freeSpace(folder).value_or(0), 0u);
}

}  // namespace
}  // namespace sonorin
