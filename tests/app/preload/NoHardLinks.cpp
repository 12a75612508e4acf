// Loaded into a child (LD_PRELOAD), it makes the file system look like one without hard
// links (vfat, exFAT, some FUSE): every link is refused as there.
#include <cerrno>

extern "C" int link(const char*, const char*)
{
    errno = EPERM;
    return -1;
}

extern "C" int linkat(int, const char*, int, const char*, int)
{
    errno = EPERM;
    return -1;
}
