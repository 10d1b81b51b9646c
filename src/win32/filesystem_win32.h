// The file system through the wide Win32 calls.
#pragma once

#include "services/filesystem.h"

namespace sonorin {

class Win32FileSystem : public FileSystem {
  public:
    std::string programFolder() override;
    std::string findFirst(const std::string& path, bool includeDirectories) override;
    bool createFolder(const std::string& path) override;
    std::optional<std::string> shortPath(const std::string& path) override;
    bool createEmptyFile(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool writeFile(const std::string& path, const std::string& bytes) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    std::unique_ptr<StreamFile> createStream(const std::string& path) override;
    std::unique_ptr<StreamFile> openStream(const std::string& path) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    std::optional<std::uint64_t> freeSpace(const std::string& folder) override;
    std::vector<std::string> filesIn(const std::string& folder) override;
};

}  // namespace sonorin
