// make-data-set FOLDER: writes the large synthetic data set into FOLDER.
#include "data-set-generator.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    if (!write_data_set(argv[1], large_data_set_shape())) return 1;
    printf("Wrote the synthetic data set into %s\n", argv[1]);
    return 0;
}
