#include "navigation.h"

#include <algorithm>
#include <iterator>

namespace dsc {

namespace {

using Char = std::filesystem::path::value_type;
using NativeString = std::filesystem::path::string_type;

// ASCII case folding for narrow (Linux) and wide (Windows) file names alike.
template <typename C> C lower(C c) {
    return (c >= C('A') && c <= C('Z')) ? static_cast<C>(c - C('A') + C('a')) : c;
}

bool isSeparator(Char c) {
    return c == Char('/') || c == std::filesystem::path::preferred_separator;
}

bool wildcardMatch(const NativeString& name, std::string_view pattern) {
    // Iterative matcher with backtracking on the last star; the pattern is ASCII.
    std::size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Char(lower(pattern[p])) == lower(name[n]))) {
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

// The root a folder tree starts from: "/", "C:\", or "\\server\share\" for a network share
// (entered at the share, never at the bare server; read from the text, as not every standard
// library takes "\\server" for a root name).
std::filesystem::path browsingRoot(const std::filesystem::path& folder, std::filesystem::path& rest) {
    const NativeString& text = folder.native();
    const bool share = std::filesystem::path::preferred_separator != Char('/') && text.size() > 2 &&
                       isSeparator(text[0]) && isSeparator(text[1]) && !isSeparator(text[2]);
    if (!share) {
        rest = folder.relative_path();
        return folder.root_path();
    }
    std::size_t end = 2, parts = 0;
    while (end < text.size() && parts < 2) { // past the server's name, then the share's
        while (end < text.size() && !isSeparator(text[end])) {
            ++end;
        }
        ++parts;
        if (parts < 2 && end < text.size()) {
            ++end;
        }
    }
    NativeString root = text.substr(0, end);
    root.push_back(std::filesystem::path::preferred_separator);
    rest = end + 1 < text.size() ? std::filesystem::path(text.substr(end + 1)) : std::filesystem::path();
    return root;
}

// A folder's text for comparisons: the drive letter or server name without case, the rest as it is,
// and no trailing separator but on a root.
NativeString comparable(const std::filesystem::path& p) {
    const std::filesystem::path normal = p.lexically_normal();
    NativeString s = normal.native();
    const std::size_t nameLength = normal.root_name().native().size();
    for (std::size_t i = 0; i < nameLength; ++i) {
        s[i] = lower(s[i]);
    }
    const std::size_t rootLength = normal.root_path().native().size();
    while (s.size() > rootLength && isSeparator(s.back())) {
        s.pop_back();
    }
    return s;
}

} // namespace

bool matchesPattern(const std::filesystem::path& name, std::string_view patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t end = std::min(patterns.find(';', start), patterns.size());
        const std::string_view one = patterns.substr(start, end - start);
        if (!one.empty() && wildcardMatch(name.native(), one)) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool nameLess(const std::filesystem::path& a, const std::filesystem::path& b) {
    const NativeString& x = a.native();
    const NativeString& y = b.native();
    const auto cmp = std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                                  [](Char c, Char d) { return lower(c) < lower(d); });
    if (cmp) {
        return true;
    }
    const bool reverse = std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(),
                                                      [](Char c, Char d) { return lower(c) < lower(d); });
    return !reverse && x < y;
}

std::vector<std::filesystem::path> matchingNames(const std::vector<platform::DirEntry>& entries,
                                                 std::string_view patterns) {
    std::vector<std::filesystem::path> out;
    for (const auto& e : entries) {
        if (!e.isDirectory && !e.isHidden && matchesPattern(e.name, patterns)) {
            out.push_back(e.name);
        }
    }
    return out;
}

std::vector<std::filesystem::path> folderNames(const std::vector<platform::DirEntry>& entries) {
    std::vector<std::filesystem::path> out;
    for (const auto& e : entries) {
        if (e.isDirectory && !e.isHidden) {
            out.push_back(e.name);
        }
    }
    return out;
}

namespace {

std::vector<std::filesystem::path> sorted(std::vector<std::filesystem::path> names) {
    std::sort(names.begin(), names.end(), nameLess);
    return names;
}

} // namespace

std::vector<std::filesystem::path> matchingFiles(platform::FileSystem& fs, const std::filesystem::path& dir,
                                                 std::string_view patterns) {
    const auto entries = fs.list(dir);
    return entries ? sorted(matchingNames(*entries, patterns)) : std::vector<std::filesystem::path>{};
}

std::vector<std::filesystem::path> subfolders(platform::FileSystem& fs, const std::filesystem::path& dir) {
    const auto entries = fs.list(dir);
    return entries ? sorted(folderNames(*entries)) : std::vector<std::filesystem::path>{};
}

std::size_t insertSorted(std::vector<std::filesystem::path>& names, std::size_t from, std::filesystem::path name) {
    const auto at = std::upper_bound(names.begin() + static_cast<std::ptrdiff_t>(from), names.end(), name, nameLess);
    const auto index = static_cast<std::size_t>(at - names.begin());
    names.insert(at, std::move(name));
    return index;
}

std::vector<std::filesystem::path> ancestry(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> chain;
    std::filesystem::path rest;
    std::filesystem::path current = browsingRoot(folder, rest);
    rest = rest.lexically_normal();
    if (!current.empty()) {
        chain.push_back(current);
    }
    for (const auto& part : rest) {
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
    const NativeString f = comparable(folder);
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const NativeString root = comparable(volumes[i].root);
        if (root.empty()) {
            continue;
        }
        const bool inside =
            f == root || (f.rfind(root, 0) == 0 && (isSeparator(root.back()) || isSeparator(f[root.size()])));
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

std::filesystem::path withTrailingSeparator(const std::filesystem::path& folder) {
    NativeString s = folder.native();
    if (s.empty() || !isSeparator(s.back())) {
        s.push_back(std::filesystem::path::preferred_separator);
    }
    return s;
}

} // namespace dsc
