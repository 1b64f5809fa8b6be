#include "model/Error.h"
#include "platform/CheckGroupBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A sheet holding a check group box with two children and its heading check box.
struct Sheet
{
    std::unique_ptr<QWidget> parent = std::make_unique<QWidget>();
    TCheckGroupBox *group = new TCheckGroupBox(parent.get());
    QLineEdit *field = new QLineEdit(group);
    QLineEdit *other = new QLineEdit(group);
    QCheckBox *check = new QCheckBox(QStringLiteral("Autoplay"), parent.get());

    Sheet()
    {
        parent->resize(400, 300);
        group->setGeometry(20, 40, 200, 80);
    }
};

} // namespace

TEST(CheckGroupBox, CheckStateDrivesTheChildrenButNotTheCheckBox)
{
    Sheet s;
    s.check->setChecked(true);
    s.group->SetCheckComponent(s.check);
    EXPECT_TRUE(s.group->isEnabled());
    EXPECT_TRUE(s.field->isEnabled());

    // A user's click unchecks: group and children go grey, the check box stays usable.
    s.parent->show();
    QTest::mouseClick(s.check, Qt::LeftButton, {}, QPoint(5, s.check->height() / 2));
    EXPECT_FALSE(s.check->isChecked());
    EXPECT_FALSE(s.group->isEnabled());
    EXPECT_FALSE(s.field->isEnabled());
    EXPECT_FALSE(s.other->isEnabled());
    EXPECT_TRUE(s.check->isEnabled());

    // Setting the state from the program updates the group as well.
    s.check->setChecked(true);
    EXPECT_TRUE(s.group->isEnabled());
    EXPECT_TRUE(s.field->isEnabled());
    EXPECT_TRUE(s.other->isEnabled());
}

TEST(CheckGroupBox, UncheckedAtAssignmentStartsDisabled)
{
    Sheet s;
    s.group->SetCheckComponent(s.check);
    EXPECT_FALSE(s.group->isEnabled());
    EXPECT_FALSE(s.field->isEnabled());
}

TEST(CheckGroupBox, UpdateCombinesOwnStateButAClickUsesTheCheckAlone)
{
    Sheet s;
    s.check->setChecked(true);
    s.group->SetCheckComponent(s.check);
    s.group->setEnabled(false);
    s.group->Update();
    EXPECT_FALSE(s.group->isEnabled());
    EXPECT_FALSE(s.field->isEnabled());

    s.check->setChecked(false);
    s.check->setChecked(true);
    EXPECT_TRUE(s.group->isEnabled());
    EXPECT_TRUE(s.field->isEnabled());
}

TEST(CheckGroupBox, CheckControlFollowsTheGroupUnlessTold)
{
    Sheet s;
    s.parent->show();
    s.group->SetCheckComponent(s.check);
    EXPECT_EQ(s.check->pos(), QPoint(28, 37));

    s.group->move(50, 100);
    EXPECT_EQ(s.check->pos(), QPoint(58, 97));
    s.group->SetBounds(10, 60, 300, 90);
    EXPECT_EQ(s.check->pos(), QPoint(18, 57));

    s.group->SetPositionCheckComponent(false);
    s.check->move(5, 5);
    s.group->move(120, 130);
    EXPECT_EQ(s.check->pos(), QPoint(5, 5));
    s.group->SetPositionCheckComponent(true);
    EXPECT_EQ(s.check->pos(), QPoint(128, 127));
}

TEST(CheckGroupBox, RefusesACheckGroupBoxAsItsCheckControl)
{
    Sheet s;
    s.group->SetCheckComponent(s.check);
    TCheckGroupBox nested(s.parent.get());
    try {
        s.group->SetCheckComponent(&nested);
        FAIL() << "no error raised";
    } catch (const QmError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Assigned TCheckGroupBox to itself"));
    }
    EXPECT_THROW(s.group->SetCheckComponent(s.group), QmError);
    EXPECT_EQ(s.group->CheckComponent(), s.check);
}

TEST(CheckGroupBox, CaptionIsHiddenWhileACheckControlHeadsTheGroup)
{
    Sheet s;
    s.group->SetCaption(QStringLiteral("Timing"));
    EXPECT_EQ(s.group->Caption(), QStringLiteral("Timing"));

    s.group->SetCheckComponent(s.check);
    EXPECT_EQ(s.group->Caption(), QString());
    s.group->SetCaption(QStringLiteral("Delay settings"));
    EXPECT_EQ(s.group->Caption(), QString());

    s.group->SetCheckComponent(nullptr);
    s.group->SetCaption(QString()); // an empty text keeps the stored caption
    EXPECT_EQ(s.group->Caption(), QStringLiteral("Delay settings"));
}

TEST(CheckGroupBox, DestroyedCheckControlIsDropped)
{
    Sheet s;
    s.group->SetCheckComponent(s.check);
    delete s.check;
    EXPECT_EQ(s.group->CheckComponent(), nullptr);
    EXPECT_TRUE(s.group->IsCheckComponentChecked());
    // The children keep their state until the next SetEnabled.
    EXPECT_FALSE(s.field->isEnabled());
    s.group->SetEnabled(true);
    EXPECT_TRUE(s.field->isEnabled());
}

TEST(CheckGroupBox, NestedGroupsAndTheEnabledSignal)
{
    Sheet s;
    auto *inner = new TCheckGroupBox(s.group);
    auto *innerField = new QLineEdit(inner);
    s.check->setChecked(true);
    QSignalSpy spy(s.group, &TCheckGroupBox::Enabled);
    s.group->SetCheckComponent(s.check);
    ASSERT_GE(spy.count(), 1);
    EXPECT_TRUE(spy.last().at(1).toBool());

    s.check->setChecked(false);
    EXPECT_FALSE(spy.last().at(1).toBool());
    EXPECT_FALSE(inner->isEnabled());
    EXPECT_FALSE(innerField->isEnabled());
    s.check->setChecked(true);
    EXPECT_TRUE(inner->isEnabled());
    EXPECT_TRUE(innerField->isEnabled());
}

TEST(CheckGroupBox, AnyControlWithACheckedStateCanHeadTheGroup)
{
    Sheet s;
    // A plain checkable group box is not a check group box: its "checked" state counts.
    auto *heading = new QGroupBox(QStringLiteral("Heading"), s.parent.get());
    heading->setCheckable(true);
    heading->setChecked(false);
    s.group->SetCheckComponent(heading);
    EXPECT_FALSE(s.field->isEnabled());
    heading->setChecked(true);
    EXPECT_TRUE(s.field->isEnabled());
}
