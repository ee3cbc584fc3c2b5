// main() of the Qt tests: the offscreen platform unless told otherwise.
#pragma once

#include <QApplication>
#include <QTest>

#define VELMORA_UI_TEST_MAIN(TestClass)                                         \
  int main(int argc, char** argv) {                                            \
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {                       \
      qputenv("QT_QPA_PLATFORM", "offscreen");                                  \
    }                                                                          \
    QApplication app(argc, argv);                                              \
    TestClass test;                                                            \
    return QTest::qExec(&test, argc, argv);                                    \
  }
