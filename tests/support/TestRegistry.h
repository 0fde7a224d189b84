#pragma once

// The tests of one folder share one program; each test file registers its test object under
// its own file name, and CTest runs the program once per file, naming it, so every file
// still runs in a process of its own with the environment CMake gives it.

#include <QtTest/QtTest>

namespace testing {

using TestEntry = int (*)(int argc, char** argv);

// Returns true so a registration can initialise a namespace-scope constant.
bool registerTest(const char* sourceFile, TestEntry entry);

// Runs the test named by argv[1] with the remaining arguments, or the only one registered.
int runRegisteredTest(int argc, char** argv);

} // namespace testing

#define SHIGUREN_TEST_ENTRY_(TestObject, Application)                                              \
    namespace {                                                                                    \
    int runTest##TestObject(int argc, char** argv)                                                 \
    {                                                                                              \
        QTest::Internal::callInitMain<TestObject>();                                               \
        Application app(argc, argv);                                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }                                                                                              \
    [[maybe_unused]] const bool registered##TestObject =                                           \
        testing::registerTest(__FILE__, &runTest##TestObject);                                     \
    }

// Like QTEST_MAIN: a widget application where the program links Qt Widgets.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#define SHIGUREN_TEST(TestObject) SHIGUREN_TEST_ENTRY_(TestObject, QApplication)
#elif defined(QT_GUI_LIB)
#define SHIGUREN_TEST(TestObject) SHIGUREN_TEST_ENTRY_(TestObject, QGuiApplication)
#else
#define SHIGUREN_TEST(TestObject) SHIGUREN_TEST_ENTRY_(TestObject, QCoreApplication)
#endif

// Like QTEST_GUILESS_MAIN.
#define SHIGUREN_GUILESS_TEST(TestObject) SHIGUREN_TEST_ENTRY_(TestObject, QCoreApplication)

// A test file with a main of its own (a child-process mode, a chosen application type).
#define SHIGUREN_TEST_WITH_MAIN(mainFunction)                                                      \
    namespace {                                                                                    \
    [[maybe_unused]] const bool registeredMain = testing::registerTest(__FILE__, &mainFunction);   \
    }
