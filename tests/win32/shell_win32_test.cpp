// The shell seam under Wine: the Script Host shortcut, the desktop folder, the connectivity
// test against a listener of our own on 127.0.0.1, and command lines.
#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "win32/shell_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

std::wstring tempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

TEST(ShellTest, TheDesktopFolderIsTheShellsAndExists) {
    Win32Shell shell;
    const std::string desktop = shell.desktopFolder();
    ASSERT_FALSE(desktop.empty());
    PWSTR known = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &known)));
    EXPECT_EQ(desktop, narrow(known));
    CoTaskMemFree(known);
    const DWORD attributes = GetFileAttributesW(wide(desktop).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ShellTest, AShortcutIsWrittenThroughTheScriptHost) {
    const std::wstring folder = tempFolder(L"快捷 方式");
    const std::string link = narrow(folder) + "\\星澜网络收音机.lnk";
    DeleteFileW(wide(link).c_str());
    Win32Shell shell;
    ASSERT_TRUE(shell.createShortcut(
        link, {"C:\\Program Files\\Sonorin\\sonorin.exe", "C:\\Program Files\\Sonorin\\sonorin.exe",
               "C:\\Program Files\\Sonorin"}));
    HANDLE h = CreateFileW(wide(link).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    CloseHandle(h);
    EXPECT_GT(size.QuadPart, 0);
    DeleteFileW(wide(link).c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(ShellTest, TheConnectivityTestSucceedsOnlyWhenTheHostAnswers) {
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";

    Win32Shell shell;
    EXPECT_TRUE(shell.checkConnection(url));
    closesocket(listener);
    EXPECT_FALSE(shell.checkConnection(url));
    WSACleanup();
}

TEST(ShellTest, ACommandLineStartsAndAMissingProgramFails) {
    Win32Shell shell;
    EXPECT_TRUE(shell.run("cmd.exe /c exit 0", WindowShow::Hidden));
    EXPECT_FALSE(shell.run("no-such-program-here.exe", WindowShow::Hidden));
}

}  // namespace
}  // namespace sonorin::win32
