#pragma once
// A spin box for whole numbers that never takes a number other than the one
// typed (CheckedBox).

#include <QSpinBox>

#include "CheckedBox.h"

class CheckedSpinBox : public CheckedBox<QSpinBox> {
    Q_OBJECT
public:
    explicit CheckedSpinBox(QWidget* parent = nullptr);

signals:
    // The row that tells why the typed text was not taken.
    void refused(const QString& row);

protected:
    void refuse(const QString& row) override;
};
