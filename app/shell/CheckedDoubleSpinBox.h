#pragma once
// The twin of CheckedSpinBox for numbers with decimals: a typed number is
// taken when it lies in the box's range and has no more decimals than the
// box shows (a number it would round is refused, not rounded).

#include <QDoubleSpinBox>

#include "CheckedBox.h"

class CheckedDoubleSpinBox : public CheckedBox<QDoubleSpinBox> {
    Q_OBJECT
public:
    explicit CheckedDoubleSpinBox(QWidget* parent = nullptr);

signals:
    // The row that tells why the typed text was not taken.
    void refused(const QString& row);

protected:
    void refuse(const QString& row) override;
};
