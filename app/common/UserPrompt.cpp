#include "UserPrompt.h"

#include <QDialog>
#include <QPushButton>
#include <QFileDialog>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <atomic>
#include <cstdlib>

#include "DebugLine.h"

namespace {

UserPrompt g_defaultPrompt;
std::atomic<UserPrompt*> g_prompt{nullptr};

#ifdef LUMA_TEST_HOOKS
// Scripted answers from LUMA_PROMPT_ANSWERS (test builds only).
struct ScriptedAnswers {
    QMutex mutex;
    bool loaded = false;
    bool active = false;
    QStringList answers;

    bool next(QString* answer)
    {
        QMutexLocker lock(&mutex);
        if (!loaded) {
            loaded = true;
            const char* env = std::getenv("LUMA_PROMPT_ANSWERS");
            if (env) {
                active = true;
                answers = QString::fromLocal8Bit(env).split(';');
            }
        }
        if (!active)
            return false;
        *answer = answers.isEmpty() ? QString() : answers.takeFirst();
        return true;
    }
};

ScriptedAnswers g_script;

void logPrompt(const QString& title, const QString& text, const QString& answer)
{
    LUMA_DEBUG("UserPrompt::prompt", "UserPrompt: %s | %s -> %s", title.toUtf8().constData(),
               text.toUtf8().constData(), answer.toUtf8().constData());
}

QMessageBox::StandardButton scriptedButton(const QString& answer, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    const struct {
        const char* name;
        QMessageBox::StandardButton button;
    } names[] = {{"Yes", QMessageBox::Yes}, {"No", QMessageBox::No}, {"Ok", QMessageBox::Ok},
                 {"Cancel", QMessageBox::Cancel}};
    for (const auto& n : names)
        if (answer.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0 && (buttons & n.button))
            return n.button;
    if (defaultButton != QMessageBox::NoButton)
        return defaultButton;
    return (buttons & QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::NoButton;
}

// The queued answer to an information or warning box, whose default is Ok;
// false when no answer is queued.
bool scriptedOkBox(const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
                   QMessageBox::StandardButton defaultButton, QMessageBox::StandardButton* result)
{
    QString answer;
    if (!g_script.next(&answer))
        return false;
    logPrompt(title, text, answer);
    *result = scriptedButton(answer, buttons, defaultButton == QMessageBox::NoButton ? QMessageBox::Ok : defaultButton);
    return true;
}
#endif

}  // namespace

UserPrompt& UserPrompt::instance()
{
    UserPrompt* p = g_prompt.load();
    return p ? *p : g_defaultPrompt;
}

void UserPrompt::setInstance(UserPrompt* prompt) { g_prompt.store(prompt); }

QMessageBox::StandardButton UserPrompt::question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        const QMessageBox::StandardButton b = scriptedButton(answer, buttons, defaultButton);
        logPrompt(title, text, answer);
        return b == QMessageBox::NoButton ? QMessageBox::No : b;
    }
#endif
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

void UserPrompt::about(QWidget* parent, const QString& title, const QString& text)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        logPrompt(title, text, answer);
        return;
    }
#endif
    QMessageBox::about(parent, title, text);
}

QMessageBox::StandardButton UserPrompt::information(QWidget* parent, const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton)
{
#ifdef LUMA_TEST_HOOKS
    QMessageBox::StandardButton scripted;
    if (scriptedOkBox(title, text, buttons, defaultButton, &scripted))
        return scripted;
#endif
    return QMessageBox::information(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton UserPrompt::warning(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
#ifdef LUMA_TEST_HOOKS
    QMessageBox::StandardButton scripted;
    if (scriptedOkBox(title, text, buttons, defaultButton, &scripted))
        return scripted;
#endif
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

int UserPrompt::execMessageBox(QMessageBox& box)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        const QMessageBox::StandardButton b =
            scriptedButton(answer, box.standardButtons(),
                           box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::NoButton);
        logPrompt(box.windowTitle(), box.text(), answer);
        return b;
    }
#endif
    return box.exec();
}

int UserPrompt::execDialog(QDialog& dialog)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        logPrompt(dialog.windowTitle(), QString(), answer);
        const bool accept = answer.compare(QLatin1String("Ok"), Qt::CaseInsensitive) == 0 ||
                            answer.compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0;
        return accept ? QDialog::Accepted : QDialog::Rejected;
    }
#endif
    return dialog.exec();
}

QString UserPrompt::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        logPrompt(caption, dir, answer);
        return answer;
    }
#endif
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString UserPrompt::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        logPrompt(caption, dir, answer);
        return answer;
    }
#endif
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString UserPrompt::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
#ifdef LUMA_TEST_HOOKS
    QString answer;
    if (g_script.next(&answer)) {
        logPrompt(caption, dir, answer);
        return answer;
    }
#endif
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}
