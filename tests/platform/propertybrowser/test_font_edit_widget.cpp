// The font editor takes from the chosen font only what the user can set in
// the dialog, and reports the result whenever the dialog is accepted.
#include "PropertyBrowserTestSupport.h"
#include "qteditorfactory.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QToolButton>

#include <memory>

namespace {
struct FontEditWidget : ::testing::Test, WithTestApp
{
    ~FontEditWidget() override { QtFontEditWidget::setDialogRunner(nullptr); }

    // Runs the button with a dialog that answers accepted and chosen.
    QSignalSpy *click(bool accepted, const QFont &chosen)
    {
        QtFontEditWidget::setDialogRunner([=](const QFont &, QFont &result) {
            result = chosen;
            return accepted;
        });
        auto *spy = new QSignalSpy(&widget, &QtFontEditWidget::valueChanged);
        widget.findChild<QToolButton *>()->click();
        return spy;
    }

    QtFontEditWidget widget;
};
} // namespace

TEST_F(FontEditWidget, TakesOverOnlyTheDialogsAttributes)
{
    QFont current("Sans", 10);
    current.setCapitalization(QFont::SmallCaps);
    widget.setValue(current);

    QFont chosen("Serif", 14);
    chosen.setWeight(QFont::DemiBold); // 63: counts as bold
    chosen.setStyle(QFont::StyleOblique);
    chosen.setUnderline(true);
    chosen.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    std::unique_ptr<QSignalSpy> spy(click(true, chosen));

    ASSERT_EQ(spy->count(), 1);
    const QFont result = widget.value();
    EXPECT_EQ(spy->at(0).at(0).value<QFont>(), result);
    EXPECT_EQ(result.family(), "Serif");
    EXPECT_EQ(result.pointSize(), 14);
    EXPECT_EQ(result.weight(), 75);
    EXPECT_TRUE(result.italic());
    EXPECT_TRUE(result.underline());
    EXPECT_FALSE(result.strikeOut());
    EXPECT_EQ(result.capitalization(), QFont::SmallCaps);
    EXPECT_EQ(result.letterSpacing(), 0);
}

TEST_F(FontEditWidget, ReportsOnlyWhenAccepted)
{
    const QFont current("Sans", 10);
    widget.setValue(current);
    std::unique_ptr<QSignalSpy> rejected(click(false, QFont("Serif", 20)));
    EXPECT_EQ(rejected->count(), 0);
    EXPECT_EQ(widget.value(), current);

    std::unique_ptr<QSignalSpy> unchanged(click(true, current));
    ASSERT_EQ(unchanged->count(), 1);
    EXPECT_EQ(unchanged->at(0).at(0).value<QFont>(), current);

    QtFontEditWidget::setDialogRunner(nullptr);
    QSignalSpy none(&widget, &QtFontEditWidget::valueChanged);
    widget.findChild<QToolButton *>()->click();
    EXPECT_EQ(none.count(), 0);
}
