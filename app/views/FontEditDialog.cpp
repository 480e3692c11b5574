#include "FontEditDialog.h"

#include <QFontDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>

#include <qteditorfactory.h>

#include "UserPrompt.h"

void FontEditDialog::install()
{
    QtFontEditWidget::setDialogRunner(&FontEditDialog::run);
}

void FontEditDialog::applyScale(QDialog& dialog, float scale)
{
    if (scale <= 1.0f)
        return;
    const QSize size = dialog.size();
    dialog.setFixedSize(static_cast<int>(size.width() * scale), static_cast<int>(size.height() * scale));
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        QMargins margins = box->contentsMargins();
        margins.setTop(static_cast<int>(scale * 6 + margins.top()));
        box->setContentsMargins(margins);
    }
}

bool FontEditDialog::run(const QFont& current, QFont& chosen)
{
    QFontDialog dialog;
    dialog.setCurrentFont(current);
    dialog.setStyleSheet(QStringLiteral("background:rgb(69, 69, 69);"));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        applyScale(dialog, static_cast<float>(screen->logicalDotsPerInch()) / 96.0f);
    if (UserPrompt::instance().execDialog(dialog) <= 0)
        return false;
    chosen = dialog.currentFont();
    return true;
}
