#include "propertybrowser/QtFontEditWidget.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {
QtFontEditWidget::DialogRunner &dialogRunner()
{
    static QtFontEditWidget::DialogRunner runner;
    return runner;
}

QPixmap fontSample(const QFont &font)
{
    QFont sampleFont = font;
    sampleFont.setPointSize(13);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setFont(sampleFont);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("A"));
    return pixmap;
}

bool isItalic(const QFont &font)
{
    return font.style() != QFont::StyleNormal;
}
} // namespace

void QtFontEditWidget::setDialogRunner(DialogRunner runner)
{
    dialogRunner() = std::move(runner);
}

QtFontEditWidget::QtFontEditWidget(QWidget *parent)
    : QWidget(parent), m_pixmapLabel(new QLabel(this)), m_label(new QLabel(this)),
      m_button(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pixmapLabel);
    layout->addWidget(m_label);
    layout->addWidget(m_button);
    m_label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_button->setText(QStringLiteral("..."));
    m_button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    connect(m_button, &QToolButton::clicked, this, &QtFontEditWidget::buttonClicked);
    setFocusProxy(m_button);
    refreshLabels();
}

QtFontEditWidget::~QtFontEditWidget() = default;

void QtFontEditWidget::setValue(const QFont &value)
{
    if (m_font == value)
        return;
    m_font = value;
    refreshLabels();
}

void QtFontEditWidget::buttonClicked()
{
    const DialogRunner runner = dialogRunner();
    QFont chosen;
    if (!runner || !runner(m_font, chosen))
        return;
    // Only what the user can set in the dialog is taken over; the rest of the
    // current font stays.
    QFont font = m_font;
    if (chosen.family() != font.family())
        font.setFamily(chosen.family());
    if (chosen.pointSize() != font.pointSize())
        font.setPointSize(chosen.pointSize());
    const bool bold = chosen.weight() > 57;
    if (bold != (font.weight() > 57))
        font.setWeight(bold ? 75 : 50);
    if (isItalic(chosen) != isItalic(font))
        font.setItalic(isItalic(chosen));
    if (chosen.underline() != font.underline())
        font.setUnderline(chosen.underline());
    if (chosen.strikeOut() != font.strikeOut())
        font.setStrikeOut(chosen.strikeOut());
    if (font != m_font) {
        m_font = font;
        refreshLabels();
    }
    emit valueChanged(m_font);
}

void QtFontEditWidget::refreshLabels()
{
    m_pixmapLabel->setPixmap(fontSample(m_font));
    m_label->setText(QStringLiteral("[%1, %2]").arg(m_font.family()).arg(m_font.pointSize()));
}
