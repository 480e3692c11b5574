// Scripted answers for the test build of the program (LumaDeckScripted, which
// test_program runs): the environment variable LUMA_PROMPT_ANSWERS holds a
// list of answers separated by ';', used in order, one per box or dialog
// ("Yes", "No", "Ok", "Cancel" for boxes, a path or "" for file dialogs).
// While the variable is set no box is shown; each prompt is written to the
// debugger output as "UserPrompt: <title> | <text> -> <answer>". When the list
// runs out, boxes get their default button (or Cancel) and dialogs an empty
// answer. The shipped program has none of this.
#include <QDialog>
#include <QMutex>
#include <QPushButton>
#include <QMutexLocker>
#include <QStringList>

#include <cstdlib>

#include "DebugLine.h"
#include "UserPrompt.h"

namespace {

class ScriptedPrompt : public UserPrompt {
public:
    explicit ScriptedPrompt(const QStringList& answers) : m_answers(answers) {}

    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override
    {
        const QMessageBox::StandardButton b = button(next(title, text), buttons, defaultButton);
        return b == QMessageBox::NoButton ? QMessageBox::No : b;
    }
    void about(QWidget*, const QString& title, const QString& text) override { next(title, text); }
    QMessageBox::StandardButton information(QWidget*, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) override
    {
        return okBox(title, text, buttons, defaultButton);
    }
    QMessageBox::StandardButton warning(QWidget*, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        return okBox(title, text, buttons, defaultButton);
    }
    int execMessageBox(QMessageBox& box) override
    {
        return button(next(box.windowTitle(), box.text()), box.standardButtons(),
                      box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::NoButton);
    }
    int execDialog(QDialog& dialog) override
    {
        const QString answer = next(dialog.windowTitle(), QString());
        const bool accept = answer.compare(QLatin1String("Ok"), Qt::CaseInsensitive) == 0 ||
                            answer.compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0;
        return accept ? QDialog::Accepted : QDialog::Rejected;
    }
    QString getSaveFileName(QWidget*, const QString& caption, const QString& dir, const QString&) override
    {
        return next(caption, dir);
    }
    QString getOpenFileName(QWidget*, const QString& caption, const QString& dir, const QString&) override
    {
        return next(caption, dir);
    }
    QString getExistingDirectory(QWidget*, const QString& caption, const QString& dir) override
    {
        return next(caption, dir);
    }

private:
    QString next(const QString& title, const QString& text)
    {
        QMutexLocker lock(&m_mutex);
        const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        LUMA_DEBUG("UserPrompt::prompt", "UserPrompt: %s | %s -> %s", title.toUtf8().constData(),
                   text.toUtf8().constData(), answer.toUtf8().constData());
        return answer;
    }
    static QMessageBox::StandardButton button(const QString& answer, QMessageBox::StandardButtons buttons,
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
    // Information and warning boxes default to Ok.
    QMessageBox::StandardButton okBox(const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
                                      QMessageBox::StandardButton defaultButton)
    {
        return button(next(title, text), buttons, defaultButton == QMessageBox::NoButton ? QMessageBox::Ok : defaultButton);
    }

    QMutex m_mutex;
    QStringList m_answers;
};

// Installed before main runs, when the variable is set.
const bool g_installed = [] {
    const char* env = std::getenv("LUMA_PROMPT_ANSWERS");
    if (!env)
        return false;
    static ScriptedPrompt prompt(QString::fromLocal8Bit(env).split(';'));
    UserPrompt::setInstance(&prompt);
    return true;
}();

}  // namespace
