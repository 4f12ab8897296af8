#include "WildcardFileSearch.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace tesselink {
namespace {

bool sameLetter(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

// "\" becomes "/", a "**" not followed by "/" becomes "**/*", and a "**" that
// does not start a path component becomes "*/**".
std::string prepared(std::string pattern) {
    std::replace(pattern.begin(), pattern.end(), '\\', '/');
    for (size_t at = pattern.find("**"); at != std::string::npos; at = pattern.find("**", at)) {
        if (at + 2 >= pattern.size() || pattern[at + 2] != '/') {
            pattern.insert(at + 2, "/*");
        }
        if (at > 0 && pattern[at - 1] != '/' && pattern[at - 1] != ':') {
            pattern.insert(at, "*/");
            at += 2;
        }
        at += 3;
    }
    return pattern;
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/' || folder.back() == ':') {
        return folder + name;
    }
    return folder + "/" + name;
}

struct Entry {
    std::string name;
    bool folder;
    bool file;
};

// Links to folders are neither entered (they could lead round in a circle)
// nor reported as files; neither are FIFOs, devices and sockets, which no
// reader could open without waiting.
std::vector<Entry> listing(const std::string& folder) {
    std::vector<Entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        const bool isFolder = it->symlink_status(typeError).type() == fs::file_type::directory;
        const bool isFile = !isFolder && it->is_regular_file(typeError);
        entries.push_back({it->path().filename().string(), isFolder, isFile});
    }
    return entries;
}

} // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    size_t p = 0;
    size_t n = 0;
    size_t star = std::string::npos;
    size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

WildcardFileSearch::WildcardFileSearch() : ignore{"./", "../"} {}

bool WildcardFileSearch::Search(const std::string& pattern) {
    stopped_ = false;
    searchPrepared(prepared(pattern));
    return !stopped_;
}

bool WildcardFileSearch::ignored(const std::string& name) const {
    return std::any_of(ignore.begin(), ignore.end(),
                       [&](const std::string& skip) { return WildcardMatch(skip, name); });
}

void WildcardFileSearch::searchPrepared(std::string pattern) {
    for (;;) {
        const size_t wildcard = pattern.find_first_of("*?");
        if (wildcard == std::string::npos) {
            OnFileFound(pattern);
            return;
        }
        const size_t begin = pattern.find_last_of('/', wildcard) + 1; // npos + 1 == 0
        const bool anyDepth = pattern.compare(begin, 3, "**/") == 0;
        if (anyDepth) {
            pattern.erase(begin, 3);
        }
        const size_t end = std::min(pattern.find('/', begin), pattern.size());
        const std::string folder = pattern.substr(0, begin);
        const std::string component = pattern.substr(begin, end - begin);
        const std::string rest = pattern.substr(end);

        std::vector<std::string> kept;
        for (const Entry& entry : listing(folder)) {
            if (!KeepSearching()) {
                stopped_ = true;
                return;
            }
            const bool wanted = rest.empty() ? entry.file : entry.folder;
            const std::string tested = entry.folder ? entry.name + "/" : entry.name;
            if (wanted && WildcardMatch(component, entry.name) && !ignored(tested)) {
                kept.push_back(entry.name);
            }
        }
        std::sort(kept.begin(), kept.end());
        for (const std::string& name : kept) {
            if (rest.empty()) {
                OnFileFound(joined(folder, name));
            } else {
                searchPrepared(joined(folder, name) + rest);
            }
            if (stopped_) {
                return;
            }
        }
        if (!anyDepth) {
            return;
        }
        pattern.insert(begin, "*/**/");
    }
}

} // namespace tesselink
