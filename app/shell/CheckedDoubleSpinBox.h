#pragma once
// The twin of CheckedSpinBox for numbers with decimals: a typed number is
// taken when it lies in the box's range and has no more decimals than the
// box shows (a number it would round is refused, not rounded).

#include <QDoubleSpinBox>

class CheckedDoubleSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit CheckedDoubleSpinBox(QWidget* parent = nullptr);

    // The box's name in its refusal rows.
    void setFieldName(const QString& name);

signals:
    // The row that tells why the typed text was not taken.
    void refused(const QString& row);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    double valueFromText(const QString& text) const override;
    void fixup(QString& text) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The row for `text`; null when the box takes it (the number in *value).
    QString refusalOf(const QString& text, double* value) const;
    void refuseTyped();

    QString m_name;
};
