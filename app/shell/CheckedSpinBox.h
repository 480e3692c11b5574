#pragma once
// A spin box for whole numbers that never takes a number other than the one
// typed. A keystroke is never dropped while typing; when editing finishes
// (Enter, or the focus leaving) the text is read whole (NumberText): a
// number in the box's range is taken, anything else is refused with a log
// row naming the box and its range, and the box shows the value in use
// again. A typed number is taken once, when editing finishes, never per
// keystroke.

#include <QSpinBox>

class CheckedSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit CheckedSpinBox(QWidget* parent = nullptr);

    // The box's name in its refusal rows.
    void setFieldName(const QString& name);

signals:
    // The row that tells why the typed text was not taken.
    void refused(const QString& row);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The row for `text`; null when the box takes it (the number in *value).
    QString refusalOf(const QString& text, int* value) const;
    void refuseTyped();

    QString m_name;
};
