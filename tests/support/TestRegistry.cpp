#include "TestRegistry.h"

#include <QFileInfo>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace testing {
namespace {

std::map<std::string, TestEntry>& registry()
{
    static std::map<std::string, TestEntry> tests;
    return tests;
}

} // namespace

bool registerTest(const char* sourceFile, TestEntry entry)
{
    const std::string name = QFileInfo(QString::fromLocal8Bit(sourceFile)).baseName().toStdString();
    const bool fresh = registry().emplace(name, entry).second;
    if (!fresh)
        std::fprintf(stderr, "two test files register as %s\n", name.c_str());
    return fresh;
}

int runRegisteredTest(int argc, char** argv)
{
    const auto& tests = registry();
    if (argc >= 2) {
        if (const auto found = tests.find(argv[1]); found != tests.end()) {
            // The test sees the program's arguments without its own name.
            std::vector<char*> rest{argv[0]};
            rest.insert(rest.end(), argv + 2, argv + argc);
            rest.push_back(nullptr);
            return found->second(argc - 1, rest.data());
        }
    }
    if (tests.size() == 1)
        return tests.begin()->second(argc, argv);
    std::fprintf(stderr, "usage: %s TEST [test arguments]\ntests:\n", argv[0]);
    for (const auto& [name, entry] : tests)
        std::fprintf(stderr, "  %s\n", name.c_str());
    return 2;
}

} // namespace testing
