#pragma once
// The one application object of a benchmark that makes widgets, on Qt's
// offscreen platform unless the environment names another.

#include <QApplication>

inline void benchApplication()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}
