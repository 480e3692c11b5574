#pragma once
// The forms place their widgets at fixed positions and sizes, measured for
// the fonts they were drawn with. With other fonts a text can need more room
// than its widget has. TextFit lets such sizes follow the font: a widget
// whose text is cut grows into the free room beside it (right first, then
// left), a label that still does not fit wraps into the free room below it.
// Positions, names, texts and layouts stay as the forms have them.

class QWidget;

class TextFit {
public:
    // Fits every label and button below `root` that no layout manages.
    static void fitChildren(QWidget* root);
    // Fits one widget among its siblings; true when its text now has room.
    static bool fit(QWidget* widget);
    // Measures the layouts below `root` again, innermost first. A layout
    // measured before its widgets' items, fonts and styles settled keeps the
    // old sizes, and a scroll area reads its contents' size only once: a
    // column sized from stale figures cuts the texts in it.
    static void remeasure(QWidget* root);
};
