#pragma once

#include <QFont>
#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

// Shows a font as a sample pixmap and a description, with a button that lets
// the user choose another. The program installs the dialog that the button
// runs; without one the button does nothing.
class QtFontEditWidget : public QWidget
{
    Q_OBJECT
public:
    // Runs a font dialog starting at current; true with chosen filled when
    // the user accepted it.
    using DialogRunner = std::function<bool(const QFont &current, QFont &chosen)>;
    static void setDialogRunner(DialogRunner runner);

    explicit QtFontEditWidget(QWidget *parent = nullptr);
    ~QtFontEditWidget() override;

    QFont value() const { return m_font; }

public Q_SLOTS:
    void setValue(const QFont &value);

Q_SIGNALS:
    void valueChanged(const QFont &value);

private Q_SLOTS:
    void buttonClicked();

private:
    void refreshLabels();

    QFont m_font;
    QLabel *m_pixmapLabel;
    QLabel *m_label;
    QToolButton *m_button;
};
