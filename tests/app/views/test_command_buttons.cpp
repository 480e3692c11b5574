// Command rows: their text, the push button editor and what a press reports;
// the font editor's dialog.
#include <gtest/gtest.h>

#include <QFontDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <qteditorfactory.h>
#include <qttreepropertybrowser.h>

#include "../TestSupport.h"
#include "FontEditDialog.h"
#include "ZTStringFactory.h"
#include "ZTStringPropertyManager.h"

namespace {

struct CommandTree {
    QtTreePropertyBrowser browser;
    ZTStringPropertyManager manager;
    ZTStringFactory factory;
    QtProperty* command = nullptr;

    CommandTree()
    {
        command = manager.addProperty("AcquisitionStart");
        manager.setValue(command, "{Command}");
        browser.setFactoryForManager(&manager, &factory);
        browser.addProperty(command);
    }
    QPushButton* openButton()
    {
        auto* tree = browser.findChild<QTreeWidget*>();
        QTreeWidgetItem* item = tree->topLevelItem(0);
        tree->setCurrentItem(item);
        QWidget* editor = tree->itemWidget(item, 1);
        return editor ? editor->findChild<QPushButton*>() : nullptr;
    }
};

// Accepts the font dialog after choosing `font` in it.
class FontPrompt : public FakePrompt {
public:
    QFont font;
    bool accept = true;
    int execDialog(QDialog& dialog) override
    {
        if (auto* fonts = qobject_cast<QFontDialog*>(&dialog))
            fonts->setCurrentFont(font);
        return accept ? QDialog::Accepted : QDialog::Rejected;
    }
};

}  // namespace

TEST(CommandButtons, APressReportsTheRowAndNothingElseDoes)
{
    testApp();
    CommandTree t;
    EXPECT_EQ(t.command->valueText(), "{Command}");
    qRegisterMetaType<QtProperty*>();
    QSignalSpy spy(&t.factory, &ZTStringFactory::valueChanged);
    QMetaObject::invokeMethod(&t.factory, "on_pbtn_clicked");  // no editor made yet
    EXPECT_EQ(spy.size(), 0);

    QPushButton* button = t.openButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "PushButton");
    button->click();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QtProperty*>(), t.command);
    EXPECT_EQ(spy.at(0).at(1).value<QVariant>().toString(), "AcquisitionStart");
    EXPECT_EQ(t.command->valueText(), "{Command}");
}

TEST(CommandButtons, RowsOfUnboundManagersGetNoButton)
{
    testApp();
    CommandTree t;
    t.factory.removePropertyManager(&t.manager);
    EXPECT_EQ(t.openButton(), nullptr);
}

TEST(FontEditDialog, GrowsWithTheScreenScale)
{
    testApp();
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* group = new QGroupBox(&dialog);
    layout->addWidget(group);
    group->setContentsMargins(1, 2, 3, 4);
    dialog.resize(200, 100);
    FontEditDialog::applyScale(dialog, 1.0f);
    EXPECT_EQ(group->contentsMargins(), QMargins(1, 2, 3, 4));
    FontEditDialog::applyScale(dialog, 1.5f);
    EXPECT_EQ(dialog.minimumSize(), QSize(300, 150));
    EXPECT_EQ(dialog.maximumSize(), QSize(300, 150));
    EXPECT_EQ(group->contentsMargins(), QMargins(1, 11, 3, 4));
}

TEST(FontEditDialog, TheEditorTakesOnlyAnAcceptedChoice)
{
    testApp();
    FontEditDialog::install();
    FontPrompt prompt;
    QtFontEditWidget editor;
    QFont start("Sans", 10);
    editor.setValue(start);
    QSignalSpy spy(&editor, &QtFontEditWidget::valueChanged);

    prompt.font = QFont("Sans", 14);
    prompt.accept = false;
    QMetaObject::invokeMethod(&editor, "buttonClicked");
    EXPECT_EQ(spy.size(), 0);
    EXPECT_EQ(editor.value().pointSize(), 10);

    prompt.accept = true;
    QMetaObject::invokeMethod(&editor, "buttonClicked");
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(editor.value().pointSize(), 14);
    QMetaObject::invokeMethod(&editor, "buttonClicked");  // unchanged: still reported
    EXPECT_EQ(spy.size(), 2);
}
