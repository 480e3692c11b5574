#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class ZtMsgBox;
}

// The program's warning box: a text area and an OK button. The repeat counter
// lets the caller space out warnings that keep recurring.
class ZtMsgBox : public QDialog
{
    Q_OBJECT

public:
    explicit ZtMsgBox(QWidget* parent = nullptr);
    ~ZtMsgBox() override;

    void bumpRepeatCount() { ++m_nRepeatCount; }
    bool repeatCountReached(int n) const { return m_nRepeatCount >= n; }
    int repeatCount() const { return m_nRepeatCount; }
    void setMessage(const QString& text);

private slots:
    void on_pb_ok_clicked();
    void on_pb_cancel_clicked();

private:
    Ui::ZtMsgBox* ui;
    int m_nRepeatCount = 30;
};
