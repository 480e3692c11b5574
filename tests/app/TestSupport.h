#pragma once
// Helpers shared by the program's tests.

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

#include "UserPrompt.h"
#include "WaitFor.h"

// The one application object of a test binary (offscreen platform). Numbers
// are typed and shown in the C locale, whatever the machine's.
inline QApplication* testApp()
{
    static int argc = 1;
    static char name[] = "lumadeck-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QLocale::setDefault(QLocale::c());
        return new QApplication(argc, argv);
    }();
    return app;
}

// Waits until `done` holds or `timeoutMs` passes, running the event loop
// between checks: the program's threads report through queued signals, which
// only the loop of the test's thread delivers.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = lumatest::kWaitLimitMs)
{
    return lumatest::waitFor(done, timeoutMs, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); });
}

// Answers boxes and dialogs from a list and records what was asked.
class FakePrompt : public UserPrompt {
public:
    FakePrompt() { UserPrompt::setInstance(this); }
    ~FakePrompt() override { UserPrompt::setInstance(nullptr); }

    QMessageBox::StandardButton questionAnswer = QMessageBox::No;
    QStringList fileAnswers;  // returned by the file dialogs, in order
    QStringList asked;        // "kind|title|text" per prompt

    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        asked << "question|" + title + "|" + text;
        return questionAnswer;
    }
    void about(QWidget*, const QString& title, const QString& text) override
    {
        asked << "about|" + title + "|" + text;
    }
    QMessageBox::StandardButton information(QWidget*, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        asked << "information|" + title + "|" + text;
        return QMessageBox::Ok;
    }
    QMessageBox::StandardButton warning(QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        asked << "warning|" + title + "|" + text;
        return QMessageBox::Ok;
    }
    int execMessageBox(QMessageBox& box) override
    {
        asked << "box|" + box.windowTitle() + "|" + box.text();
        return QMessageBox::Cancel;
    }
    int execDialog(QDialog&) override
    {
        asked << "dialog||";
        return 0;
    }
    QString getSaveFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        asked << "save|" + caption + "|";
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString getOpenFileName(QWidget*, const QString& caption, const QString&, const QString&) override
    {
        asked << "open|" + caption + "|";
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString getExistingDirectory(QWidget*, const QString& caption, const QString&) override
    {
        asked << "folder|" + caption + "|";
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
};
