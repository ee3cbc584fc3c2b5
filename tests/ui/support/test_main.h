// main() of the Qt tests: the offscreen platform unless told otherwise. On
// Windows the native plugin: there is no offscreen one with fonts, and wine
// does not pass QT_* variables to the program, so it is the default.
#pragma once

#include <QApplication>
#include <QTest>

#ifdef _WIN32
#define VELMORA_UI_TEST_NATIVE_PLATFORM true
// Without a console Qt sends test output to the debugger; the runner reads
// the standard streams.
#define VELMORA_UI_TEST_LOG_TO_STDERR() qputenv("QT_FORCE_STDERR_LOGGING", "1")
#else
#define VELMORA_UI_TEST_NATIVE_PLATFORM false
#define VELMORA_UI_TEST_LOG_TO_STDERR() (void)0
#endif

#define VELMORA_UI_TEST_MAIN(TestClass)                                         \
  int main(int argc, char** argv) {                                            \
    if (!VELMORA_UI_TEST_NATIVE_PLATFORM &&                                     \
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {                       \
      qputenv("QT_QPA_PLATFORM", "offscreen");                                  \
    }                                                                          \
    VELMORA_UI_TEST_LOG_TO_STDERR();                                            \
    QApplication app(argc, argv);                                              \
    TestClass test;                                                            \
    return QTest::qExec(&test, argc, argv);                                    \
  }
