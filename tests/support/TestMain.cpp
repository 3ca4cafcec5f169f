// Entry of every test program: the thread that runs main() is the main thread.
#include "os/foundation/RunLoop.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ns::RunLoop::main(); // the main run loop belongs to this thread
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
