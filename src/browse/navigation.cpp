#include "navigation.h"

#include <algorithm>

namespace dsc {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool wildcardMatch(std::string_view name, std::string_view pattern) {
    // Iterative matcher with backtracking on the last star.
    std::size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool matchesPattern(std::string_view name, std::string_view patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', start), patterns.size());
        const std::string_view one = patterns.substr(start, end - start);
        if (!one.empty() && wildcardMatch(name, one)) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool nameLess(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::string& x = a.native();
    const std::string& y = b.native();
    const auto cmp = std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                                  [](char c, char d) { return lower(c) < lower(d); });
    if (cmp) {
        return true;
    }
    const bool reverse = std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(),
                                                      [](char c, char d) { return lower(c) < lower(d); });
    return !reverse && x < y;
}

std::vector<std::filesystem::path> matchingFiles(platform::FileSystem& fs, const std::filesystem::path& dir,
                                                 std::string_view patterns) {
    std::vector<std::filesystem::path> out;
    const auto entries = fs.list(dir);
    if (!entries) {
        return out;
    }
    for (const auto& e : *entries) {
        if (!e.isDirectory && !e.isHidden && matchesPattern(e.name.native(), patterns)) {
            out.push_back(e.name);
        }
    }
    std::sort(out.begin(), out.end(), nameLess);
    return out;
}

std::vector<std::filesystem::path> subfolders(platform::FileSystem& fs, const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> out;
    const auto entries = fs.list(dir);
    if (!entries) {
        return out;
    }
    for (const auto& e : *entries) {
        if (e.isDirectory && !e.isHidden) {
            out.push_back(e.name);
        }
    }
    std::sort(out.begin(), out.end(), nameLess);
    return out;
}

std::vector<std::filesystem::path> ancestry(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> chain;
    std::filesystem::path current;
    for (const auto& part : folder.lexically_normal()) {
        if (part.empty()) {
            continue; // the empty element a trailing separator leaves
        }
        current /= part;
        chain.push_back(current);
    }
    return chain;
}

int volumeIndexFor(const std::vector<platform::Volume>& volumes, const std::filesystem::path& folder) {
    int best = -1;
    std::size_t bestLength = 0;
    const std::string f = folder.lexically_normal().native();
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        std::string root = volumes[i].root.lexically_normal().native();
        if (root.size() > 1 && root.back() == '/') {
            root.pop_back();
        }
        const bool inside = f == root || (f.rfind(root, 0) == 0 && (root.back() == '/' || f[root.size()] == '/'));
        if (inside && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

std::string volumeText(const platform::Volume& volume) {
    const std::string root = platform::displayText(volume.root);
    return volume.label.empty() ? root : root + " [" + volume.label + "]";
}

std::string withTrailingSeparator(const std::filesystem::path& folder) {
    std::string s = folder.native();
    if (s.empty() || s.back() != std::filesystem::path::preferred_separator) {
        s.push_back(std::filesystem::path::preferred_separator);
    }
    return s;
}

} // namespace dsc
