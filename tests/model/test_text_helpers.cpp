// Colour text, field extraction, paths and the integer conversion message.
#include "model/Catalogue.h"
#include "model/Error.h"
#include "model/TextUtils.h"

#include <QDir>
#include <functional>
#include "ErrorOf.h"

#include <gtest/gtest.h>

TEST(TextHelpersColour, RedIsLowByteAndReadsAsFF0000)
{
    EXPECT_EQ(ColorToHex(0x000000FF), QStringLiteral("FF0000"));
    EXPECT_EQ(ColorToHex(0x00FF0000), QStringLiteral("0000FF"));
    EXPECT_EQ(ColorToHex(0x00123456), QStringLiteral("563412"));
    EXPECT_EQ(HexToColor(QStringLiteral("FF0000")), 0x000000FFu);
    EXPECT_EQ(HexToColor(QStringLiteral("563412")), 0x00123456u);
}

TEST(TextHelpersColour, LowerCaseReadsAndComesBackUpper)
{
    EXPECT_EQ(ColorToHex(HexToColor(QStringLiteral("a0b1c2"))), QStringLiteral("A0B1C2"));
}

TEST(TextHelpersColour, TransparentInAnyCaseAndEmptyAreBlack)
{
    for (const char *text : {"Transparent", "TRANSPARENT", "transparent", ""})
        EXPECT_EQ(HexToColor(QString::fromLatin1(text)), 0u) << text;
}

TEST(TextHelpersColour, ShortTextUsesOnlyTheCharactersThatExist)
{
    // "FF" is characters 1-2 only: the red byte.
    EXPECT_EQ(HexToColor(QStringLiteral("FF")), 0xFFu);
    EXPECT_EQ(HexToColor(QStringLiteral("FF00")), 0x00FFu);
}

TEST(TextHelpersColour, NonHexCharactersRaiseTheConversionErrorOnTheBuiltText)
{
    EXPECT_EQ(ErrorOf([] { HexToColor(QStringLiteral("GG0000")); }), QStringLiteral("'$000000GG' is not a valid integer value"));
    EXPECT_EQ(ErrorOf([] { HexToColor(QStringLiteral("0x1234")); }), QStringLiteral("'$0034120x' is not a valid integer value"));
}

TEST(TextHelpersInteger, ConversionMessageNamesTheText)
{
    EXPECT_EQ(StrToInt(QStringLiteral("42")), 42);
    EXPECT_EQ(StrToInt(QStringLiteral("-1")), -1);
    EXPECT_EQ(ErrorOf([] { StrToInt(QStringLiteral("12a")); }), QStringLiteral("'12a' is not a valid integer value"));
    EXPECT_EQ(ErrorOf([] { StrToInt(QString()); }), QStringLiteral("'' is not a valid integer value"));
}

TEST(TextHelpersGetField, ValuesCountOnlyWhenASeparatorFollows)
{
    const QString sep = QStringLiteral("#$@");
    EXPECT_EQ(GetField(QStringLiteral("a#$@b#$@"), 2, sep), QStringLiteral("b"));
    EXPECT_EQ(GetField(QStringLiteral("a#$@b"), 2, sep), QString());
    EXPECT_EQ(GetField(QString(), 5, sep), QString());
    EXPECT_EQ(GetField(QStringLiteral("a#$@b#$@"), 0, sep), QString());
    EXPECT_EQ(GetField(QStringLiteral("a#$@b#$@"), 3, sep), QString());
    EXPECT_EQ(GetField(QStringLiteral("#$@#$@x#$@"), 3, sep), QStringLiteral("x"));
}

TEST(TextHelpersGetField, GetFieldsGivesWhatGetFieldGivesValueByValue)
{
    const QString sep = QStringLiteral("#$@");
    const QStringList lines = {QString(),
                               QStringLiteral("a#$@b#$@"),
                               QStringLiteral("a#$@b"),
                               QStringLiteral("#$@#$@x#$@"),
                               QStringLiteral("a#$@#$b#$@@#$@"),
                               QStringLiteral("abc")};
    for (const QString &line : lines) {
        for (const QString &separator : {sep, QString(), QStringLiteral("b")}) {
            const QStringList fields = GetFields(line, 5, separator);
            ASSERT_EQ(fields.size(), 5);
            for (int n = 1; n <= 5; ++n)
                EXPECT_EQ(fields[n - 1], GetField(line, n, separator)) << line.toStdString() << " " << n;
        }
    }
}

TEST(TextHelpersPaths, TrailingSeparatorIsAddedOnce)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(IncludeTrailingBackslash(QStringLiteral("out")), QStringLiteral("out") + sep);
    EXPECT_EQ(IncludeTrailingBackslash(QStringLiteral("out") + sep), QStringLiteral("out") + sep);
    EXPECT_EQ(IncludeTrailingBackslash(QString()), QString(sep));
}

TEST(TextHelpersPaths, FileNamePartAfterLastSeparatorOrDrive)
{
    EXPECT_EQ(ExtractFileName(QStringLiteral("C:\\pics\\a.jpg")), QStringLiteral("a.jpg"));
    EXPECT_EQ(ExtractFileName(QStringLiteral("/home/u/b.gif")), QStringLiteral("b.gif"));
    EXPECT_EQ(ExtractFileName(QStringLiteral("C:c.bmp")), QStringLiteral("c.bmp"));
    EXPECT_EQ(ExtractFileName(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(TextHelpersPaths, FileAddressKeepsBlanksForRootAndDrivePaths)
{
    const struct
    {
        const char *path, *address;
    } cases[] = {
        {"/home/u/site/page.html", "file:///home/u/site/page.html"},
        {"/home/u/my site/a:b\\c.html", "file:///home/u/my site/a:b\\c.html"},
        {"C:\\site\\page.html", "file:///C|/site/page.html"},
        {"C:\\a b\\x.htm", "file:///C|/a b/x.htm"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PathToFileUrl(QString::fromUtf8(c.path)), QString::fromUtf8(c.address)) << c.path;
}

TEST(TextHelpersTrimming, BlanksAndControlCharactersGoFromBothEnds)
{
    EXPECT_EQ(TrimText(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(TrimText(QStringLiteral("\t\x01x\r\n")), QStringLiteral("x"));
}

TEST(TextHelpersNormalise, PaneRoundTripOfTheDefaultsEmptiesOnlyPositionSeven)
{
    TAppletData defaults;
    for (const AppletParam &p : kAppletCatalogue)
        defaults.*p.member = QString::fromLatin1(p.defaultValue);
    TAppletData expected = defaults;
    expected.InactiveItemAlpha.clear();
    EXPECT_EQ(NormaliseAppletData(defaults), expected);
}

TEST(TextHelpersNormalise, ClampsSpinsCasesColoursAndFlagsLikeThePanes)
{
    TAppletData data;
    for (const AppletParam &p : kAppletCatalogue)
        data.*p.member = QString::fromLatin1(p.defaultValue);
    data.ActiveItemWidth = QStringLiteral("0");
    data.ItemHeight = QStringLiteral("123456");
    data.HoriTitleFontColor = QStringLiteral("transparent");
    data.PreviewBgColor = QStringLiteral("abcdef");
    data.AutoPlay = QStringLiteral("01");
    data.ThumbProcessType = QStringLiteral("7");
    data.ScriptName = QStringLiteral("  my show ");
    const TAppletData out = NormaliseAppletData(data);
    EXPECT_EQ(out.ActiveItemWidth, QStringLiteral("1"));
    EXPECT_EQ(out.ItemHeight, QStringLiteral("9999"));
    EXPECT_EQ(out.HoriTitleFontColor, QStringLiteral("000000"));
    EXPECT_EQ(out.PreviewBgColor, QStringLiteral("ABCDEF"));
    EXPECT_EQ(out.AutoPlay, QStringLiteral("0"));
    EXPECT_EQ(out.ThumbProcessType, QStringLiteral("-1"));
    EXPECT_EQ(out.ScriptName, QStringLiteral("my show"));

    data.SlidingSpeed = QStringLiteral("fast");
    EXPECT_EQ(ErrorOf([&] { NormaliseAppletData(data); }), QStringLiteral("'fast' is not a valid integer value"));
}

TEST(TextHelpersCatalogue, PositionsAreInOrderAndControlsUnique)
{
    QStringList controls;
    for (size_t i = 0; i < kAppletCatalogue.size(); ++i) {
        EXPECT_EQ(kAppletCatalogue[i].position, int(i) + 1);
        if (*kAppletCatalogue[i].control)
            controls << QString::fromLatin1(kAppletCatalogue[i].control);
    }
    for (size_t i = 0; i < kItemCatalogue.size(); ++i) {
        EXPECT_EQ(kItemCatalogue[i].position, int(i) + 1);
        if (*kItemCatalogue[i].control)
            controls << QString::fromLatin1(kItemCatalogue[i].control);
    }
    EXPECT_EQ(controls.size(), 22 + 6);
    controls.removeDuplicates();
    EXPECT_EQ(controls.size(), 22 + 6);
}
