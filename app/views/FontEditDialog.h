#pragma once
// The font dialog behind the "..." button of the property browser's font
// editor: a dark font dialog that grows with the screen's DPI, run modally
// through UserPrompt.

#include <QFont>

class QDialog;

class FontEditDialog {
public:
    // Makes this the dialog every font editor runs (once is enough).
    static void install();
    // Runs the dialog starting at `current`; true with `chosen` filled when
    // the user accepted it.
    static bool run(const QFont& current, QFont& chosen);
    // Above a scale of 1: the dialog's fixed size times scale and every group
    // box's top margin grown by scale x 6 (both truncated).
    static void applyScale(QDialog& dialog, float scale);
};
