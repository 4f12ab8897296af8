#pragma once
// A recursive wildcard search over the computer's folders: a pattern such as
// "F/**/*.jpg" visits the matching files of F and of every folder below it, in
// a fixed order (files of a folder by name, then its subfolders by name).

#include <string>
#include <vector>

namespace tesselink {

// "*" matches any run of characters, "?" one character, anything else itself
// in any letter case; the whole name must match.
bool WildcardMatch(const std::string& pattern, const std::string& name);

class WildcardFileSearch {
  public:
    WildcardFileSearch();

    // The first virtual operation: called with the path of each file found.
    virtual void OnFileFound(const std::string& path) = 0;
    virtual ~WildcardFileSearch() = default;

    // Calls OnFileFound for every file the pattern matches; a pattern without
    // wildcards is reported unchanged. False when KeepSearching ended it early.
    bool Search(const std::string& pattern);

  protected:
    // Asked before each folder entry is looked at; false ends the search
    // there, so a long walk over a big tree can report and be stopped.
    virtual bool KeepSearching() { return true; }

    // Names to skip; a folder's name is tested with "/" appended.
    std::vector<std::string> ignore;

  private:
    void searchPrepared(std::string pattern);
    bool ignored(const std::string& name) const;

    bool stopped_ = false;
};

} // namespace tesselink
