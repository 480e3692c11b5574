#pragma once
// A file written beside the name it is for and put in place under that name
// only once it is whole, so that a write that fails leaves an earlier file
// of that name as it was.
#include <string>

#include <sys/stat.h>

namespace platform::os {

class ReplacingFile {
public:
    ReplacingFile() = default;
    // Discards a file not committed.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Whether `path` names something other than a regular file (a device, a
    // pipe): no other file can stand in for it, so it is written in place.
    static bool namesSpecialFile(const std::string& path);

    // Creates the new file for `path`, a regular file or a name not taken
    // yet, under a hidden name in the same folder. A name that is a symbolic
    // link keeps its link: the file it leads to is the one replaced. While it
    // is written the new file is its owner's alone; commit() gives it an
    // earlier file's permissions, a first file those open() gives. False,
    // errno set, when the folder takes no new file or when an earlier file
    // may not be written.
    bool open(const std::string& path);
    int fd() const { return fd_; }
    // The new file as fstat() gives it.
    const struct stat& made() const { return made_; }
    // Closes the new file and puts it in place; an earlier file goes only
    // once the new one is on the disk. False, errno set, with the new file
    // removed, when a step fails.
    bool commit();
    // Closes and removes the new file; errno stays.
    void discard();

    // Removes `path` only while it still names the regular file `made` (as
    // fstat() gave it for a file this process made); a symbolic link, a
    // device, or another file that took the name meanwhile stays. errno
    // stays.
    static void removeMade(const std::string& path, const struct stat& made);

private:
    // Closes the new file's folder and removes the new file from it, where
    // the folder went meanwhile too.
    void removeTemp();

    std::string target_;  // the name the file goes under, its links followed
    std::string temp_;    // the new file's path
    std::string tempName_;  // and its name in its folder
    bool replacing_ = false;
    mode_t mode_ = 0;   // the permissions the file takes once whole
    int folder_ = -1;   // the folder the new file was made in
    int fd_ = -1;
    struct stat made_ {};
};

}  // namespace platform::os
