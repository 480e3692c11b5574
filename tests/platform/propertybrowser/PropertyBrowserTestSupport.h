#pragma once

#include <QApplication>

// One application object for every test of the binary.
inline QApplication *testApp()
{
    static QApplication *app = [] {
        static int argc = 1;
        static char name[] = "test_propertybrowser";
        static char *argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return app;
}

// Base of fixtures whose members are widgets: the application comes first.
struct WithTestApp
{
    WithTestApp() { testApp(); }
};
