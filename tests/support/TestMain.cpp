#include "TestRegistry.h"

int main(int argc, char** argv)
{
    return testing::runRegisteredTest(argc, argv);
}
