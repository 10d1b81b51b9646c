// The file-system calls the program needs. Paths are UTF-8 Windows paths ("C:\a\b.wav").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonorin {

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // The folder that holds the executable, without a trailing backslash.
    virtual std::string programFolder() = 0;
    // Name of the first entry matching path (find-first-file), or empty when none matches.
    // A path ending in a backslash searches inside that folder. Directories are found only
    // when includeDirectories is set.
    virtual std::string findFirst(const std::string& path, bool includeDirectories) = 0;
    virtual bool createFolder(const std::string& path) = 0;
    // The short (8.3) form of an existing path, or nothing when the system cannot give one.
    virtual std::optional<std::string> shortPath(const std::string& path) = 0;
    // Creates an empty file (truncating an existing one).
    virtual bool createEmptyFile(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Fails when the target exists.
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
    // The whole content of a file, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // Creates or truncates the file and writes the bytes through to the disk. False on any
    // failure; the file may then hold part of the bytes.
    virtual bool writeFile(const std::string& path, const std::string& bytes) = 0;
    // Moves a file onto another, replacing it when it exists, written through to the disk.
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
    // Size in bytes of an existing file; nothing for a folder or a missing file.
    virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
};

}  // namespace sonorin
