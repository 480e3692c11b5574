#include "CheckedDoubleSpinBox.h"

CheckedDoubleSpinBox::CheckedDoubleSpinBox(QWidget* parent) : CheckedBox<QDoubleSpinBox>(parent) {}

void CheckedDoubleSpinBox::refuse(const QString& row) { emit refused(row); }
