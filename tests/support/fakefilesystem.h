#pragma once
// An in-memory file system for the browsing logic.

#include "platform/filesystem.h"
#include "platform/locale.h"

#include <map>

namespace dsc::test {

class FakeFileSystem : public platform::FileSystem {
public:
    struct Node {
        bool isDirectory = false;
        std::uint64_t size = 0;
        platform::FileTimes times;
    };

    void addFolder(const std::string& path) { m_nodes[key(path)] = Node{true, 0, {}}; }
    void addFile(const std::string& path, std::uint64_t size = 0, platform::FileTimes times = {}) {
        m_nodes[key(path)] = Node{false, size, times};
    }
    void remove(const std::string& path) { m_nodes.erase(key(path)); }
    std::vector<platform::Volume> volumeList{{"/", {}}};
    std::vector<std::string> unreadable; // folders whose listing fails

    std::optional<std::vector<platform::DirEntry>> list(const std::filesystem::path& dir) override {
        const std::string d = key(dir);
        for (const auto& u : unreadable) {
            if (u == d) {
                return std::nullopt;
            }
        }
        if (!isDirectory(dir)) {
            return std::nullopt;
        }
        std::vector<platform::DirEntry> out;
        const std::string prefix = d == "/" ? d : d + "/";
        for (const auto& [path, node] : m_nodes) {
            if (path.size() > prefix.size() && path.rfind(prefix, 0) == 0 &&
                path.find('/', prefix.size()) == std::string::npos) {
                const std::string name = path.substr(prefix.size());
                out.push_back({name, node.isDirectory, name[0] == '.'});
            }
        }
        return out;
    }
    bool isDirectory(const std::filesystem::path& path) override {
        auto it = m_nodes.find(key(path));
        return key(path) == "/" || (it != m_nodes.end() && it->second.isDirectory);
    }
    std::vector<platform::Volume> volumes() override { return volumeList; }
    std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override {
        auto it = m_nodes.find(key(path));
        if (it == m_nodes.end() || it->second.isDirectory) {
            return std::nullopt;
        }
        return it->second.size;
    }
    platform::FileTimes fileTimes(const std::filesystem::path& path) override {
        auto it = m_nodes.find(key(path));
        return it == m_nodes.end() ? platform::FileTimes{} : it->second.times;
    }

private:
    // Paths as "/"-separated text without a trailing separator, whatever the system's separator.
    static std::string key(const std::filesystem::path& p) {
        std::string k = p.lexically_normal().generic_string();
        while (k.size() > 1 && k.back() == '/') {
            k.pop_back();
        }
        return k;
    }

    std::map<std::string, Node> m_nodes;
};

// Fixed ISO-like formats, so tests do not depend on the machine's locales.
class FakeLocale : public platform::LocaleFormats {
public:
    std::string shortDate(const platform::CalendarTime& t) override {
        char b[32];
        std::snprintf(b, sizeof b, "%02d/%02d/%04d", t.day, t.month, t.year);
        return b;
    }
    std::string time(const platform::CalendarTime& t) override {
        char b[32];
        std::snprintf(b, sizeof b, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        return b;
    }
};

} // namespace dsc::test
