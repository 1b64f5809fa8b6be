// Which item commands a tree selection allows. The pop-up menu, the Item menu and
// the tool bar show the same state, so it is worked out once, here.
#pragma once

struct TItemCommandState
{
    bool insert = false;      // new items go below the root only
    bool remove = false;      // every node but the root
    bool moveUp = false;      // an item with a previous sibling
    bool moveDown = false;    // an item with a next sibling
    bool batchImport = false; // imports go below the root only
};

// `selected` is the absolute index of the selected node (-1 for none, 0 for the root).
inline TItemCommandState ItemCommandState(int selected, bool hasPrevious, bool hasNext)
{
    TItemCommandState state;
    state.insert = selected == 0;
    state.remove = selected != 0;
    state.moveUp = hasPrevious && selected != 0;
    state.moveDown = hasNext && selected != 0;
    state.batchImport = selected == 0;
    return state;
}
