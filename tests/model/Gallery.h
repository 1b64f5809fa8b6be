// A small gallery in document and in-memory tree, for the tests of the tree edits and
// of the undo steps.
#pragma once

#include "GalleryText.h"

#include "model/MemorySeams.h"

struct Gallery
{
    TAppletAgent document;
    MemoryItemTree tree;

    explicit Gallery(const char *shape)
    {
        TItemArray items = GalleryItems(shape);
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

    QString Shape() const { return GalleryShape(tree, document.Items); }
};
