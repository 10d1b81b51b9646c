// An in-memory Windows file system. Paths are "C:\folder\file" with backslashes; names
// compare without regard to ASCII case, and every component may be given by its long or
// its short (8.3) name, as on a volume with short names. Each file or folder whose name is
// not already 8.3 gets a short name when it is created ("My Music" -> "MYMUSI~1"), the lowest
// "~N" free in its folder. With shortNames off the volume has none: shortPath returns the
// long path of an existing entry. Wildcards are not supported. Every call is logged, in `log`
// and, as "fs " + call, in the shared event log when there is one. Renames fail for every
// file in `lockedFiles` (held open by another program), and so do deletes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/event_log.h"
#include "services/filesystem.h"

namespace sonorin {

class FakeFileSystem : public FileSystem {
  public:
    FakeFileSystem() { entries_["C:"] = {true, "C:", {}}; }

    std::string programFolder() override { return programFolderPath; }

    std::string findFirst(const std::string& path, bool includeDirectories) override {
        record("findFirst " + path);
        if (!path.empty() && path.back() == '\\') {
            const auto folder = find(path.substr(0, path.size() - 1));
            if (!folder || !entries_[*folder].folder)
                return {};
            if (includeDirectories)
                return ".";
            for (const auto& [key, entry] : entries_) {
                if (!entry.folder && parentOf(key) == *folder)
                    return nameOf(key);
            }
            return {};
        }
        const auto found = find(path);
        if (!found || (entries_[*found].folder && !includeDirectories))
            return {};
        return nameOf(*found);
    }

    bool createFolder(const std::string& path) override {
        record("createFolder " + path);
        // Like CreateDirectory, a trailing backslash names the same folder.
        std::string folder = path;
        while (folder.size() > 1 && folder.back() == '\\')
            folder.pop_back();
        return add(folder, true);
    }

    std::optional<std::string> shortPath(const std::string& path) override {
        record("shortPath " + path);
        const auto found = find(path);
        if (!found)
            return std::nullopt;
        if (!shortNames)
            return *found;
        std::string result;
        std::string current;
        for (const std::string& part : split(*found)) {
            current = current.empty() ? part : current + "\\" + part;
            result += (result.empty() ? "" : "\\") + entries_[current].shortName;
        }
        return result;
    }

    bool createEmptyFile(const std::string& path) override {
        record("createEmptyFile " + path);
        if (const auto found = find(path)) {
            if (entries_[*found].folder)
                return false;
            entries_[*found].content.clear();
            return true;
        }
        return add(path, false);
    }

    bool deleteFile(const std::string& path) override {
        record("deleteFile " + path);
        const auto found = find(path);
        if (!found || entries_[*found].folder || lockedFiles.count(lower(*found)))
            return false;
        entries_.erase(*found);
        return true;
    }

    bool renameFile(const std::string& from, const std::string& to) override {
        record("renameFile " + from + " -> " + to);
        const auto source = find(from);
        if (source && lockedFiles.count(lower(*source)))
            return false;
        if (!source || find(to))
            return false;
        const std::string content = entries_[*source].content;
        if (!add(to, false))
            return false;
        entries_[*find(to)].content = content;
        entries_.erase(*source);
        return true;
    }

    std::optional<std::string> readFile(const std::string& path) override {
        record("readFile " + path);
        return content(path);
    }

    // Like a disk that fills up: with failWritesAfter set, a write stores that many bytes of
    // the new content and fails; with writeFails, nothing can be written at all.
    bool writeFile(const std::string& path, const std::string& bytes) override {
        record("writeFile " + path);
        if (writeFails || !createEmptyFile(path))
            return false;
        if (failWritesAfter && *failWritesAfter < bytes.size()) {
            entries_[*find(path)].content = bytes.substr(0, *failWritesAfter);
            return false;
        }
        entries_[*find(path)].content = bytes;
        return true;
    }

    bool replaceFile(const std::string& from, const std::string& to) override {
        record("replaceFile " + from + " -> " + to);
        const auto source = find(from);
        if (failReplace || !source || entries_[*source].folder)
            return false;
        const std::string bytes = entries_[*source].content;
        if (const auto target = find(to)) {
            if (entries_[*target].folder)
                return false;
            entries_[*target].content = bytes;
        } else if (!add(to, false)) {
            return false;
        } else {
            entries_[*find(to)].content = bytes;
        }
        entries_.erase(*source);
        return true;
    }

    std::optional<std::uint64_t> fileSize(const std::string& path) override {
        record("fileSize " + path);
        const auto found = find(path);
        if (!found || entries_[*found].folder)
            return std::nullopt;
        return entries_[*found].content.size();
    }

    // A stream writes into the entry itself, so what a crash would leave is what the test
    // reads. With diskBytes set the volume holds that many bytes in all files: freeSpace
    // reports what is left and a write beyond it stores what fits and fails.
    std::unique_ptr<StreamFile> createStream(const std::string& path) override {
        record("createStream " + path);
        if (find(path) || writeFails || !add(path, false))
            return nullptr;
        return std::make_unique<Stream>(*this, *find(path));
    }
    std::unique_ptr<StreamFile> openStream(const std::string& path) override {
        record("openStream " + path);
        const auto found = find(path);
        if (!found || entries_[*found].folder)
            return nullptr;
        return std::make_unique<Stream>(*this, *found);
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        record("moveFile " + from + " -> " + to);
        if (failMoves)
            return false;
        const auto source = find(from);
        if (!source || entries_[*source].folder || find(to) || !add(to, false))
            return false;
        entries_[*find(to)].content = entries_[*source].content;
        entries_.erase(*source);
        return true;
    }
    std::optional<std::uint64_t> freeSpace(const std::string& folder) override {
        record("freeSpace " + folder);
        if (!diskBytes)
            return std::nullopt;
        const std::uint64_t used = usedBytes();
        return used >= *diskBytes ? 0 : *diskBytes - used;
    }
    std::vector<std::string> filesIn(const std::string& folder) override {
        record("filesIn " + folder);
        std::string path = folder;
        while (!path.empty() && path.back() == '\\')
            path.pop_back();
        std::vector<std::string> names;
        const auto found = find(path);
        for (const auto& [key, entry] : entries_) {
            if (found && !entry.folder && parentOf(key) == *found)
                names.push_back(nameOf(key));
        }
        return names;
    }

    // Test helpers: create a file (and its missing folders) with content; read it back.
    void addFile(const std::string& path, const std::string& content = {}) {
        const auto parts = split(path);
        std::string current;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            current = current.empty() ? parts[i] : current + "\\" + parts[i];
            if (!find(current))
                add(current, true);
        }
        add(path, false);
        entries_[*find(path)].content = content;
    }
    bool exists(const std::string& path) { return find(path).has_value(); }
    // Writes a file without logging, as another program would; false when its folder is
    // missing or a folder has that name.
    bool putFile(const std::string& path, const std::string& content) {
        if (const auto found = find(path)) {
            if (entries_[*found].folder)
                return false;
        } else if (!add(path, false)) {
            return false;
        }
        entries_[*find(path)].content = content;
        return true;
    }
    // Removes a folder and all it holds, without logging.
    void removeFolder(const std::string& path) {
        const auto found = find(path);
        if (!found || !entries_[*found].folder)
            return;
        std::erase_if(entries_, [&](const auto& entry) {
            return entry.first == *found || entry.first.starts_with(*found + "\\");
        });
    }
    // Removes a file without logging, as another program (the sound device) would.
    void removeFile(const std::string& path) {
        if (const auto found = find(path); found && !entries_[*found].folder)
            entries_.erase(*found);
    }
    std::optional<std::string> content(const std::string& path) {
        const auto found = find(path);
        if (!found || entries_[*found].folder)
            return std::nullopt;
        return entries_[*found].content;
    }
    // The long path of an existing entry, whatever mix of long and short names names it.
    std::optional<std::string> longPath(const std::string& path) { return find(path); }
    std::vector<std::string> files() const {
        std::vector<std::string> result;
        for (const auto& [key, entry] : entries_) {
            if (!entry.folder)
                result.push_back(key);
        }
        return result;
    }

    std::string programFolderPath = "C:\\Sonorin";
    bool shortNames = true;
    std::optional<std::size_t> failWritesAfter;
    bool failReplace = false;
    bool writeFails = false;
    bool failMoves = false;
    std::optional<std::uint64_t> diskBytes;
    std::vector<std::string> log;
    EventLog* events = nullptr;
    std::set<std::string> lockedFiles;  // long paths, lower case

    // Renames and deletes of this file fail, as for a file another program holds open.
    void lock(const std::string& path) {
        if (const auto found = find(path))
            lockedFiles.insert(lower(*found));
    }
    void unlock(const std::string& path) {
        if (const auto found = find(path))
            lockedFiles.erase(lower(*found));
    }

  private:
    class Stream : public StreamFile {
      public:
        Stream(FakeFileSystem& fs, std::string key) : fs_(fs), key_(std::move(key)) {}
        bool append(const char* bytes, std::size_t size) override {
            std::string* data = content();
            return data && put(*data, data->size(), bytes, size);
        }
        bool writeAt(std::uint64_t offset, const char* bytes, std::size_t size) override {
            std::string* data = content();
            return data && offset <= data->size() && put(*data, offset, bytes, size);
        }
        std::optional<std::string> readAt(std::uint64_t offset, std::size_t size) override {
            std::string* data = content();
            if (!data)
                return std::nullopt;
            return offset >= data->size() ? std::string{} : data->substr(offset, size);
        }
        bool flush() override { return content() != nullptr; }
        bool close() override { return true; }

      private:
        // Null once the file is gone (removed behind the program's back).
        std::string* content() {
            auto it = fs_.entries_.find(key_);
            return it == fs_.entries_.end() ? nullptr : &it->second.content;
        }
        bool put(std::string& data, std::uint64_t offset, const char* bytes, std::size_t size) {
            const std::uint64_t end = offset + size;
            std::size_t fits = size;
            if (fs_.diskBytes && end > data.size()) {
                const std::uint64_t others = fs_.usedBytes() - data.size();
                const std::uint64_t room =
                    *fs_.diskBytes > others + offset ? *fs_.diskBytes - others - offset : 0;
                fits = static_cast<std::size_t>(std::min<std::uint64_t>(size, room));
            }
            if (offset + fits > data.size())
                data.resize(offset + fits);
            data.replace(offset, fits, bytes, fits);
            return fits == size;
        }
        FakeFileSystem& fs_;
        std::string key_;
    };

    std::uint64_t usedBytes() const {
        std::uint64_t used = 0;
        for (const auto& [key, entry] : entries_)
            used += entry.content.size();
        return used;
    }

    void record(const std::string& call) {
        log.push_back(call);
        if (events)
            events->add("fs " + call);
    }

    struct Entry {
        bool folder = false;
        std::string shortName;
        std::string content;
    };

    static std::string lower(std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return text;
    }
    static std::string upper(std::string text) {
        for (char& c : text) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        return text;
    }
    static std::vector<std::string> split(const std::string& path) {
        std::vector<std::string> parts;
        std::size_t start = 0;
        while (start <= path.size()) {
            const auto end = path.find('\\', start);
            const std::string part = path.substr(start, end - start);
            if (!part.empty())
                parts.push_back(part);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return parts;
    }
    static std::string parentOf(const std::string& path) {
        const auto at = path.rfind('\\');
        return at == std::string::npos ? std::string{} : path.substr(0, at);
    }
    static std::string nameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }
    static bool is83(const std::string& name) {
        if (name.find(' ') != std::string::npos)
            return false;
        const auto dot = name.find('.');
        if (dot != std::string::npos && name.find('.', dot + 1) != std::string::npos)
            return false;
        for (unsigned char c : name) {
            if (c >= 0x80)
                return false;
        }
        const std::size_t base = dot == std::string::npos ? name.size() : dot;
        const std::size_t ext = dot == std::string::npos ? 0 : name.size() - dot - 1;
        return base >= 1 && base <= 8 && ext <= 3;
    }

    // Resolves each component by long or short name; the canonical long path when found.
    std::optional<std::string> find(const std::string& path) {
        std::string current;
        for (const std::string& part : split(path)) {
            std::optional<std::string> match;
            for (const auto& [key, entry] : entries_) {
                if (parentOf(key) != current)
                    continue;
                if (lower(nameOf(key)) == lower(part) || lower(entry.shortName) == lower(part)) {
                    match = key;
                    break;
                }
            }
            if (!match)
                return std::nullopt;
            current = *match;
        }
        if (current.empty())
            return std::nullopt;
        return current;
    }

    bool add(const std::string& path, bool folder) {
        const std::string parent = parentOf(path);
        const auto parentFound = find(parent);
        if (parent.empty() || !parentFound || !entries_[*parentFound].folder || find(path)) {
            return false;
        }
        const std::string name = nameOf(path);
        const std::string key = *parentFound + "\\" + name;
        entries_[key] = {folder, shortNameFor(*parentFound, name), {}};
        return true;
    }

    std::string shortNameFor(const std::string& folder, const std::string& name) {
        if (is83(name))
            return upper(name);
        const auto dot = name.rfind('.');
        auto clean = [](const std::string& text) {
            std::string result;
            for (unsigned char c : text) {
                if (c != ' ' && c != '.' && c < 0x80)
                    result += static_cast<char>(c);
            }
            return result;
        };
        std::string base = upper(clean(name.substr(0, dot)));
        const std::string ext =
            dot == std::string::npos ? std::string{} : upper(clean(name.substr(dot + 1)));
        if (base.empty())
            base = "X";
        base = base.substr(0, 6);
        for (int n = 1;; ++n) {
            std::string candidate =
                base + "~" + std::to_string(n) + (ext.empty() ? "" : "." + ext.substr(0, 3));
            bool taken = false;
            for (const auto& [key, entry] : entries_) {
                if (parentOf(key) == folder && (lower(entry.shortName) == lower(candidate) ||
                                                lower(nameOf(key)) == lower(candidate))) {
                    taken = true;
                }
            }
            if (!taken)
                return candidate;
        }
    }

    std::map<std::string, Entry> entries_;
};

}  // namespace sonorin
