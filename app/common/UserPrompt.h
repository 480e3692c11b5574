#pragma once
// Every modal message box and file dialog of the program goes through this
// interface, so that tests can answer them without a person.
//
// UserPrompt::instance() is the one in force: by default it shows the real Qt
// boxes and dialogs. Tests install their own with setInstance(); the program
// itself reads no scripted answers.

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

class UserPrompt {
public:
    virtual ~UserPrompt() = default;

    virtual QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton);
    virtual void about(QWidget* parent, const QString& title, const QString& text);
    virtual QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    virtual QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // A box the caller built itself (own buttons, texts, flags): returns what
    // QMessageBox::exec returns (the standard button that was pressed).
    virtual int execMessageBox(QMessageBox& box);
    // Any other modal dialog: returns what QDialog::exec returns.
    virtual int execDialog(QDialog& dialog);

    virtual QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter);
    virtual QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter);
    virtual QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir);

    static UserPrompt& instance();
    // Installs `prompt` (not owned); nullptr goes back to the real boxes.
    static void setInstance(UserPrompt* prompt);
};
