// A small gallery in document and in-memory tree, written as "A(A1 A2) B", for the
// tests of the tree edits and of the undo steps.
#pragma once

#include "model/AppletAgent.h"
#include "model/MemorySeams.h"
#include "model/TextUtils.h"
#include "model/TreeEdits.h"

#include <gtest/gtest.h>

// A gallery written as "A(A1 A2) B": names of items, a child list in brackets.
// Each item's OriginalImagePath is its name, so its node is captioned with it.
struct Gallery
{
    TAppletAgent document;
    MemoryItemTree tree;

    explicit Gallery(const char *shape)
    {
        TItemArray items;
        int level = 0;
        QString name;
        const auto flush = [&] {
            if (name.isEmpty())
                return;
            TItemData item = TAppletAgent::NewItem();
            item.OriginalImagePath = name;
            item.Level = QString::number(level);
            items.push_back(item);
            name.clear();
        };
        for (const QChar c : QString::fromUtf8(shape)) {
            if (c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(' ')) {
                flush();
                level += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
            } else {
                name += c;
            }
        }
        flush();
        TAppletAgent::RebuildTree(items, tree);
        document.Items = items;
    }

    // The node captioned `name`; "*" is the root.
    int Node(const char *name) const
    {
        for (int k = 0; k < tree.NodeCount(); ++k)
            if (tree.Caption(k) == QLatin1String(name) || (k == 0 && QLatin1String(name) == QLatin1String("*")))
                return k;
        ADD_FAILURE() << "no node " << name;
        return -1;
    }

    // The gallery written back from the tree, after checking that every item stands
    // at its node (caption from its picture, "Image" for an inserted one) with the
    // node's level.
    QString Shape() const
    {
        const int items = int(document.Items.size());
        EXPECT_EQ(items, tree.NodeCount() - 1) << qPrintable(tree.Dump());
        QString out;
        int previous = 0;
        for (int k = 1; k < tree.NodeCount(); ++k) {
            const int level = tree.Depth(k) - 1;
            if (k <= items) {
                const TItemData &item = document.Items[size_t(k) - 1];
                const QString expected =
                    item.OriginalImagePath.isEmpty() ? QLatin1String(kNewNodeCaption) : ExtractFileName(item.OriginalImagePath);
                EXPECT_EQ(tree.Caption(k), expected) << "node " << k;
                EXPECT_EQ(item.Level, QString::number(level)) << "item " << k - 1;
            }
            if (k > 1)
                out += level > previous ? QStringLiteral("(") : QString(previous - level, QLatin1Char(')')) + QLatin1Char(' ');
            out += tree.Caption(k);
            previous = level;
        }
        return out + QString(previous, QLatin1Char(')'));
    }
};
