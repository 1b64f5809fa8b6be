#include "model/Catalogue.h"
#include "model/Error.h"
#include "ui/ColorPanel.h"
#include "ui/PaneCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

// A subclass with a name of its own: the codec must not take it for an edit box.
class TMaskedEdit : public QLineEdit
{
    Q_OBJECT
};

QString Read(const QWidget *control, int mode = 0, const QString &before = QStringLiteral("<kept>"))
{
    QString value = before;
    ControlToValue(control, mode, value);
    return value;
}

} // namespace

TEST(PaneCodec, EditBoxTrimsBothWays)
{
    QLineEdit edit;
    edit.setText(QStringLiteral("  a b  "));
    EXPECT_EQ(Read(&edit), QStringLiteral("a b"));
    ValueToControl(QStringLiteral("\t x y \n"), &edit, 0);
    EXPECT_EQ(edit.text(), QStringLiteral("x y"));
}

TEST(PaneCodec, ClassIsMatchedByExactName)
{
    TMaskedEdit masked;
    masked.setText(QStringLiteral("secret"));
    EXPECT_EQ(Read(&masked), QStringLiteral("<kept>"));
    ValueToControl(QStringLiteral("new"), &masked, 0);
    EXPECT_EQ(masked.text(), QStringLiteral("secret"));

    QLabel label(QStringLiteral("text"));
    EXPECT_EQ(Read(&label), QStringLiteral("<kept>"));
    EXPECT_NO_THROW(ValueToControl(QStringLiteral("abc"), &label, 0));
    EXPECT_EQ(Read(nullptr), QStringLiteral("<kept>"));
}

TEST(PaneCodec, ComboBoxModeZeroStoresTheIndexModeOneTheText)
{
    QComboBox list;
    for (const char *entry : kThumbProcessTypes)
        list.addItem(QLatin1String(entry));
    ValueToControl(QStringLiteral("0"), &list, 0);
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_EQ(Read(&list), QStringLiteral("0"));
    ValueToControl(QStringLiteral("7"), &list, 0);
    EXPECT_EQ(Read(&list), QStringLiteral("-1"));
    ValueToControl(QStringLiteral("-3"), &list, 0);
    EXPECT_EQ(Read(&list), QStringLiteral("-1"));
    try {
        ValueToControl(QStringLiteral("Best Fit to Specified Size"), &list, 0);
        FAIL() << "no conversion error";
    } catch (const QmError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("'Best Fit to Specified Size' is not a valid integer value"));
    }

    QComboBox link;
    link.setEditable(true);
    for (const char *entry : kLinkEntries)
        link.addItem(QLatin1String(entry));
    ValueToControl(QStringLiteral("  http://example.com/page.html "), &link, 1);
    EXPECT_EQ(link.currentText(), QStringLiteral("http://example.com/page.html"));
    EXPECT_EQ(Read(&link, 1), QStringLiteral("http://example.com/page.html"));
    // Mode 1 never converts: any text is fine.
    EXPECT_NO_THROW(ValueToControl(QStringLiteral("not a number"), &link, 1));
}

TEST(PaneCodec, SpinBoxClampsWhenShownAndReadsItsMinimumForNonNumbers)
{
    QSpinBox spin;
    spin.setRange(1, 9999);
    ValueToControl(QStringLiteral("0"), &spin, 0);
    EXPECT_EQ(spin.value(), 1);
    EXPECT_EQ(Read(&spin), QStringLiteral("1"));
    ValueToControl(QStringLiteral("123456"), &spin, 0);
    EXPECT_EQ(Read(&spin), QStringLiteral("9999"));
    ValueToControl(QStringLiteral(" 42 "), &spin, 0);
    EXPECT_EQ(Read(&spin), QStringLiteral("42"));

    EXPECT_THROW(ValueToControl(QStringLiteral("4x"), &spin, 0), QmError);
    EXPECT_EQ(spin.value(), 42);

    // Text typed into the box that is no number reads as the minimum.
    spin.findChild<QLineEdit *>()->setText(QStringLiteral("abc"));
    EXPECT_EQ(Read(&spin), QStringLiteral("1"));
}

TEST(PaneCodec, ColourPanelReadsUpperCaseRgb)
{
    TColorPanel panel;
    ValueToControl(QStringLiteral("ff8000"), &panel, 0);
    EXPECT_EQ(panel.Color(), TColor(0x000080FF));
    EXPECT_EQ(Read(&panel), QStringLiteral("FF8000"));
    for (const char *word : {"Transparent", "TRANSPARENT", "transparent"}) {
        ValueToControl(QLatin1String(word), &panel, 0);
        EXPECT_EQ(Read(&panel), QStringLiteral("000000")) << word;
    }
    EXPECT_THROW(ValueToControl(QStringLiteral("GG0000"), &panel, 0), QmError);
}

TEST(PaneCodec, FlagsCompareExactlyWithOne)
{
    QCheckBox check;
    ValueToControl(QStringLiteral("1"), &check, 0);
    EXPECT_TRUE(check.isChecked());
    EXPECT_EQ(Read(&check), QStringLiteral("1"));
    for (const char *other : {"01", "true", "", " 1"}) {
        ValueToControl(QStringLiteral("1"), &check, 0);
        ValueToControl(QLatin1String(other), &check, 0);
        EXPECT_FALSE(check.isChecked()) << other;
        EXPECT_EQ(Read(&check), QStringLiteral("0"));
    }
}

TEST(PaneCodec, RadioPairAlwaysShowsOneChoice)
{
    QWidget group;
    auto *local = new QRadioButton(&group);
    auto *web = new QRadioButton(&group);
    local->setChecked(true);

    ValueToControl(QStringLiteral("0"), local, 0);
    EXPECT_FALSE(local->isChecked());
    EXPECT_TRUE(web->isChecked());
    EXPECT_EQ(Read(local), QStringLiteral("0"));

    ValueToControl(QStringLiteral("1"), local, 0);
    EXPECT_TRUE(local->isChecked());
    EXPECT_FALSE(web->isChecked());
    EXPECT_EQ(Read(local), QStringLiteral("1"));

    // A lone radio button can be unchecked as well.
    QRadioButton lone;
    lone.setChecked(true);
    ValueToControl(QStringLiteral("0"), &lone, 0);
    EXPECT_FALSE(lone.isChecked());
}

#include "test_pane_codec.moc"
