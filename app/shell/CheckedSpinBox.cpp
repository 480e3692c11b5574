#include "CheckedSpinBox.h"

CheckedSpinBox::CheckedSpinBox(QWidget* parent) : CheckedBox<QSpinBox>(parent) {}

void CheckedSpinBox::refuse(const QString& row) { emit refused(row); }
