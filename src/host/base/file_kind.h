// What a path names, in words, for messages about things that are not
// regular files ("a FIFO", "a character device").
#pragma once

#include <sys/stat.h>

namespace tavi::host {

inline const char *fileKindName(mode_t mode) {
    if (S_ISREG(mode)) return "a regular file";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "not a regular file";
}

}  // namespace tavi::host
