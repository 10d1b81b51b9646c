// The file-system calls the program needs. Paths are UTF-8 Windows paths ("C:\a\b.wav").
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sonorin {

// A file written as it grows (a take recorded to disk): appended at its end, its head
// rewritten in place, pushed through to the disk on request. Closed when destroyed.
class StreamFile {
  public:
    virtual ~StreamFile() = default;
    // False when not every byte was written (a full disk, a vanished folder); the file may
    // then hold part of them.
    virtual bool append(const char* bytes, std::size_t size) = 0;
    virtual bool writeAt(std::uint64_t offset, const char* bytes, std::size_t size) = 0;
    // Up to size bytes from offset; fewer at the end of the file, nothing on failure.
    virtual std::optional<std::string> readAt(std::uint64_t offset, std::size_t size) = 0;
    virtual bool flush() = 0;
    virtual bool close() = 0;
};

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

    // A new file for writing as it grows; nothing when it exists already or cannot be made.
    virtual std::unique_ptr<StreamFile> createStream(const std::string& path) = 0;
    // An existing file for mending in place; appends go to its end.
    virtual std::unique_ptr<StreamFile> openStream(const std::string& path) = 0;
    // Moves a file, to another volume too (copying, then removing the original). Fails when
    // the target exists; a move that fails leaves the original where it was.
    virtual bool moveFile(const std::string& from, const std::string& to) = 0;
    // Bytes the user may still write on the volume of folder; nothing when unknown.
    virtual std::optional<std::uint64_t> freeSpace(const std::string& folder) = 0;
    // Names of the files (not folders) directly in folder.
    virtual std::vector<std::string> filesIn(const std::string& folder) = 0;
};

}  // namespace sonorin
