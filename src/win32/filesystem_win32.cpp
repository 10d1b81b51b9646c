#include "win32/filesystem_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/wide.h"

namespace sonorin {
namespace {

class Win32StreamFile : public StreamFile {
  public:
    explicit Win32StreamFile(HANDLE file) : file_(file) {}
    ~Win32StreamFile() override { close(); }

    bool append(const char* bytes, std::size_t size) override {
        LARGE_INTEGER end = {};
        return file_ != INVALID_HANDLE_VALUE && SetFilePointerEx(file_, end, nullptr, FILE_END) &&
               write(bytes, size);
    }
    bool writeAt(std::uint64_t offset, const char* bytes, std::size_t size) override {
        return seek(offset) && write(bytes, size);
    }
    std::optional<std::string> readAt(std::uint64_t offset, std::size_t size) override {
        if (!seek(offset))
            return std::nullopt;
        std::string bytes(size, '\0');
        std::size_t done = 0;
        while (done < size) {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 20));
            if (!ReadFile(file_, bytes.data() + done, chunk, &got, nullptr))
                return std::nullopt;
            if (got == 0)
                break;
            done += got;
        }
        bytes.resize(done);
        return bytes;
    }
    bool flush() override { return file_ != INVALID_HANDLE_VALUE && FlushFileBuffers(file_); }
    bool close() override {
        if (file_ == INVALID_HANDLE_VALUE)
            return true;
        const bool closed = CloseHandle(file_) != 0;
        file_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    bool seek(std::uint64_t offset) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return file_ != INVALID_HANDLE_VALUE && SetFilePointerEx(file_, at, nullptr, FILE_BEGIN);
    }
    bool write(const char* bytes, std::size_t size) {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
            DWORD written = 0;
            if (!WriteFile(file_, bytes, chunk, &written, nullptr) || written != chunk)
                return false;
            bytes += chunk;
            size -= chunk;
        }
        return true;
    }

    HANDLE file_;
};

// Others may read the file while it grows (a player opening the take), nobody may write it.
std::unique_ptr<StreamFile> openWith(const std::string& path, DWORD disposition) {
    HANDLE file =
        CreateFileW(win32::wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32StreamFile>(file);
}

}  // namespace

std::string Win32FileSystem::programFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const auto slash = path.find_last_of(L'\\');
            return win32::narrow(slash == std::wstring::npos ? std::wstring{}
                                                             : path.substr(0, slash));
        }
        buffer.resize(buffer.size() * 2);  // truncated: try a larger buffer
    }
}

std::string Win32FileSystem::findFirst(const std::string& path, bool includeDirectories) {
    if (path.empty())
        return {};
    std::wstring pattern = win32::wide(path);
    // "folder\" alone matches nothing: search the folder's entries, as a directory listing
    // would. For a directory search its "." entry then answers that the folder exists.
    if (pattern.back() == L'\\')
        pattern += L'*';
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    std::string name;
    do {
        if (includeDirectories || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            name = win32::narrow(data.cFileName);
            break;
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return name;
}

bool Win32FileSystem::createFolder(const std::string& path) {
    return CreateDirectoryW(win32::wide(path).c_str(), nullptr) != 0;
}

std::optional<std::string> Win32FileSystem::shortPath(const std::string& path) {
    const std::wstring longPath = win32::wide(path);
    DWORD needed = GetShortPathNameW(longPath.c_str(), nullptr, 0);
    // The required size can change between the calls if the path is renamed meanwhile.
    for (int attempt = 0; attempt < 3 && needed != 0; ++attempt) {
        std::vector<wchar_t> buffer(needed + 1, L'\0');
        const DWORD length =
            GetShortPathNameW(longPath.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            break;
        if (length < buffer.size())
            return win32::narrow(std::wstring(buffer.data(), length));
        needed = length;
    }
    return std::nullopt;
}

bool Win32FileSystem::createEmptyFile(const std::string& path) {
    HANDLE file = CreateFileW(win32::wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    return DeleteFileW(win32::wide(path).c_str()) != 0;
}

bool Win32FileSystem::renameFile(const std::string& from, const std::string& to) {
    // MoveFileW never replaces an existing target.
    return MoveFileW(win32::wide(from).c_str(), win32::wide(to).c_str()) != 0;
}

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) {
    HANDLE file = CreateFileW(win32::wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    if (!ok)
        return std::nullopt;
    return bytes;
}

bool Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(win32::wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        ok =
            WriteFile(file, bytes.data() + done, chunk, &written, nullptr) != 0 && written == chunk;
        done += written;
    }
    ok = ok && FlushFileBuffers(file) != 0;
    return CloseHandle(file) != 0 && ok;
}

bool Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(win32::wide(from).c_str(), win32::wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<std::uint64_t> Win32FileSystem::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::unique_ptr<StreamFile> Win32FileSystem::createStream(const std::string& path) {
    return openWith(path, CREATE_NEW);  // never truncates a file that is there
}

std::unique_ptr<StreamFile> Win32FileSystem::openStream(const std::string& path) {
    return openWith(path, OPEN_EXISTING);
}

bool Win32FileSystem::moveFile(const std::string& from, const std::string& to) {
    // Across volumes this copies and removes the original only once the copy is whole.
    return MoveFileExW(win32::wide(from).c_str(), win32::wide(to).c_str(),
                       MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<std::uint64_t> Win32FileSystem::freeSpace(const std::string& folder) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(win32::wide(folder).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

std::vector<std::string> Win32FileSystem::filesIn(const std::string& folder) {
    std::wstring pattern = win32::wide(folder);
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(win32::narrow(data.cFileName));
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return names;
}

}  // namespace sonorin
