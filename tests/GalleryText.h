// Galleries written as text, "A(A1 A2) B": item names, each one's children in
// brackets. Each item's OriginalImagePath is its name, so its node is captioned with it.
#pragma once

#include "model/AppletAgent.h"
#include "model/TextUtils.h"
#include "model/TreeEdits.h"

#include <gtest/gtest.h>

inline TItemArray GalleryItems(const char *shape)
{
    TItemArray items;
    int level = 0;
    for (const QString &word : QString::fromUtf8(shape)
                                   .replace(QLatin1Char('('), QLatin1String(" ( "))
                                   .replace(QLatin1Char(')'), QLatin1String(" ) "))
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("(") || word == QLatin1String(")")) {
            level += word == QLatin1String("(") ? 1 : -1;
            continue;
        }
        TItemData item = TAppletAgent::NewItem();
        item.OriginalImagePath = word;
        item.Level = QString::number(level);
        items.push_back(item);
    }
    return items;
}

// The gallery written back from the tree, after checking that every item stands at
// its node (caption from its picture, "Image" for an inserted one) with the node's
// depth as its Level.
inline QString GalleryShape(const IItemTree &tree, const TItemArray &items)
{
    EXPECT_EQ(int(items.size()), tree.NodeCount() - 1);
    QString out;
    int previous = 0;
    for (int k = 1; k < tree.NodeCount(); ++k) {
        const int level = tree.Depth(k) - 1;
        if (size_t(k) <= items.size()) {
            const TItemData &item = items[size_t(k) - 1];
            EXPECT_EQ(tree.Caption(k),
                      item.OriginalImagePath.isEmpty() ? QLatin1String(kNewNodeCaption) : ExtractFileName(item.OriginalImagePath))
                << "node " << k;
            EXPECT_EQ(item.Level, QString::number(level)) << "item " << k - 1;
        }
        if (k > 1)
            out += level > previous ? QStringLiteral("(") : QString(previous - level, QLatin1Char(')')) + QLatin1Char(' ');
        out += tree.Caption(k);
        previous = level;
    }
    return out + QString(previous, QLatin1Char(')'));
}
