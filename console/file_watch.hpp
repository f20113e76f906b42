#pragma once
// Changes of one file of a directory, told by the kernel (inotify) rather than looked for: a
// wait can sleep on descriptor() and be woken by a write, a rename over the file, its creation or
// its removal. Linux only; where no watch can be set, watching() is false and the owner falls
// back to looking at the file itself.
#include <filesystem>
#include <string>
#include <string_view>

namespace station {

class FileWatch {
public:
    FileWatch() = default;
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Watches the file `name` (any case) of `directory`, replacing any earlier watch. False (and
    // not watching) when the kernel refuses: no inotify, too many watches, no such directory.
    bool watch(const std::filesystem::path& directory, std::string_view name);
    bool watching() const { return descriptor_ >= 0; }
    // Readable when changes are waiting to be taken; -1 while not watching.
    int descriptor() const { return descriptor_; }
    // Takes every waiting change of the directory; true when one concerned the file (or changes
    // were lost in an overflow, which may have). Never blocks.
    bool takeChanges();

private:
    int descriptor_ = -1;
    std::string name_;
};

// True when a directory entry name is `watched` in any case.
bool sameFileName(std::string_view entry, std::string_view watched);

}  // namespace station
