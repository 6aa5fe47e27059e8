#include "temp-dir.h"

#include <giomm/init.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    use_private_home();
    Gio::init();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
