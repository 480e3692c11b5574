#include "UserPrompt.h"

#include <QDialog>
#include <QPushButton>
#include <QFileDialog>

#include <atomic>

namespace {

UserPrompt g_defaultPrompt;
std::atomic<UserPrompt*> g_prompt{nullptr};

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
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

void UserPrompt::about(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::about(parent, title, text);
}

QMessageBox::StandardButton UserPrompt::information(QWidget* parent, const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::information(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton UserPrompt::warning(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

int UserPrompt::execMessageBox(QMessageBox& box)
{
    return box.exec();
}

int UserPrompt::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

QString UserPrompt::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString UserPrompt::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString UserPrompt::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}
