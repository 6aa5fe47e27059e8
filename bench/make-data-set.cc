// make-data-set FOLDER [SPECIES [ZONES]]: writes the large synthetic data set
// into FOLDER, its biggest region with SPECIES species (16,000) and the others
// with ZONES zones (3,000).
#include "data-set-generator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int species = argc > 2 ? atoi(argv[2]) : 16000, zones = argc > 3 ? atoi(argv[3]) : 3000;
    if (argc < 2 || argc > 4 || species < 100 || zones < 99) {
        fprintf(stderr, "usage: %s FOLDER [SPECIES (100 or more) [ZONES (99 or more)]]\n", argv[0]);
        return 2;
    }
    if (!write_data_set(argv[1], large_data_set_shape(species, zones))) return 1;
    printf("Wrote the synthetic data set into %s\n", argv[1]);
    return 0;
}
