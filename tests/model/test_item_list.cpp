// The document's construction, defaults, value lists and item list arithmetic.
#include "model/AppletAgent.h"

#include <gtest/gtest.h>

namespace {

TItemData Named(const char *name, int level = 0)
{
    TItemData item = TAppletAgent::NewItem();
    item.HTitle = QString::fromLatin1(name);
    item.Level = QString::number(level);
    return item;
}

QString Titles(const TAppletAgent &doc)
{
    QStringList out;
    for (const TItemData &item : doc.Items)
        out << item.HTitle;
    return out.join(QLatin1Char(' '));
}

TAppletAgent WithItems(std::initializer_list<const char *> names)
{
    TAppletAgent doc;
    for (const char *name : names)
        doc.Items.push_back(Named(name));
    return doc;
}

} // namespace

TEST(ItemListSetup, ConstructionFillsTheFiveLinkedFiles)
{
    const TAppletAgent doc;
    ASSERT_EQ(doc.LinkedFiles.size(), 5u);
    EXPECT_EQ(doc.LinkedFiles[0], (TLinkedFileInfo{QStringLiteral("foldreel.swf"), QStringLiteral("swf"), 0}));
    EXPECT_EQ(doc.LinkedFiles[2], (TLinkedFileInfo{QStringLiteral("swfobject.js"), QStringLiteral("js"), 0}));
    EXPECT_EQ(doc.LinkedFiles[4], (TLinkedFileInfo{QStringLiteral("my_flash_config2.xml"), QStringLiteral("xml"), 1}));
    EXPECT_EQ(doc.Separator, QStringLiteral("#$@"));
    EXPECT_TRUE(doc.Items.empty());
    EXPECT_EQ(doc.AppletData, TAppletData{});
}

TEST(ItemListSetup, DefaultsInCatalogueOrderKeepTheFileVersion)
{
    TAppletAgent doc;
    doc.FileVersion = QStringLiteral("0.9");
    doc.Items.push_back(Named("x"));
    doc.SetDefaults();
    EXPECT_EQ(TAppletAgent::AppletDataToStrings(doc.AppletData).join(QLatin1Char('|')),
              QStringLiteral("slideshow1|667|75|375|6|1|100|1|1|1|24|FFFFFF|24|FFFFFF|000000|000000|1|000000|0|||"
                             "|1"));
    EXPECT_TRUE(doc.Items.empty());
    EXPECT_EQ(doc.FileVersion, QStringLiteral("0.9"));
}

TEST(ItemListSetup, NewItemListHasElevenEntries)
{
    TItemData item = TAppletAgent::NewItem();
    item.Level = QStringLiteral("0");
    const TStringArray list = TAppletAgent::ItemToStrings(item);
    EXPECT_EQ(list, (QStringList{"", "", "", "", "_self", "", "", "0", "", "", ""}));
    EXPECT_EQ(TAppletAgent::StringsToItem(list, QString()), item);
}

TEST(ItemListSetup, ValueListsRoundTrip)
{
    TAppletAgent doc;
    doc.SetDefaults();
    const TStringArray list = TAppletAgent::AppletDataToStrings(doc.AppletData);
    ASSERT_EQ(list.size(), 23);
    EXPECT_EQ(TAppletAgent::StringsToAppletData(list, QStringLiteral("1.0")), doc.AppletData);
}

TEST(ItemListInsert, EmptyListTakesTheItemWhateverTheIndex)
{
    TAppletAgent doc;
    doc.InsertItem(5, Named("A"));
    EXPECT_EQ(Titles(doc), QStringLiteral("A"));
}

TEST(ItemListInsert, AtTheEndAppendsBeyondItDrops)
{
    TAppletAgent doc = WithItems({"A", "B"});
    doc.InsertItem(2, Named("C"));
    EXPECT_EQ(Titles(doc), QStringLiteral("A B C"));
    doc.InsertItem(4, Named("D"));
    EXPECT_EQ(Titles(doc), QStringLiteral("A B C"));
    doc.InsertItem(1, Named("X"));
    EXPECT_EQ(Titles(doc), QStringLiteral("A X B C"));
    doc.InsertItem(0, Named("Y"));
    EXPECT_EQ(Titles(doc), QStringLiteral("Y A X B C"));
}

TEST(ItemListDelete, OneItemListEmptiesWhateverTheIndex)
{
    TAppletAgent doc = WithItems({"A"});
    doc.DeleteItem(7);
    EXPECT_TRUE(doc.Items.empty());
    doc.DeleteItem(0); // nothing to delete: no change, no crash
    EXPECT_TRUE(doc.Items.empty());
}

TEST(ItemListDelete, RemovesAtIndexAndIgnoresIndexBeyond)
{
    TAppletAgent doc = WithItems({"A", "B", "C", "D"});
    doc.DeleteItem(4);
    EXPECT_EQ(Titles(doc), QStringLiteral("A B C D"));
    doc.DeleteItem(3);
    EXPECT_EQ(Titles(doc), QStringLiteral("A B C"));
    doc.DeleteItem(0);
    EXPECT_EQ(Titles(doc), QStringLiteral("B C"));
}

TEST(ItemListMove, MoveUpExchangesWithThePreviousOnly)
{
    TAppletAgent doc = WithItems({"A", "B", "C", "D"});
    doc.MoveItemUp(0);
    doc.MoveItemUp(4);
    doc.MoveItemUp(-1);
    EXPECT_EQ(Titles(doc), QStringLiteral("A B C D"));
    doc.MoveItemUp(2); // C up
    EXPECT_EQ(Titles(doc), QStringLiteral("A C B D"));
}

TEST(ItemListMove, DeletingASubtreeRemovesItsWholeBlock)
{
    TAppletAgent doc = WithItems({"A", "A1", "A2", "B"});
    // A has absolute index 1 and two descendants: delete index 0 three times.
    for (int i = 0; i < 3; ++i)
        doc.DeleteItem(0);
    EXPECT_EQ(Titles(doc), QStringLiteral("B"));
}
