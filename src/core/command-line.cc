#include "core/command-line.h"

#include "core/errors.h"
#include "core/misc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void take_debug_option(int& argc, char** argv) {
    if (argc < 2 || strncmp(argv[1], "-d", 2) != 0) return;
    debug_level = parse_int_clamped(argv[1] + 2);
    printf("Debug level %d\n", debug_level);
    for (int i = 1; i < argc; ++i)
        argv[i] = argv[i + 1]; // argv[argc] is the terminating null
    --argc;
}
