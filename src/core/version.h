// Version and build time, filled in by the build.
#pragma once

struct BuildInfo {
    static const int major;
    static const int minor;
    static const int buildnum;
    static const char version_str[];
    static const char date_str[];
};
