// Shared set-up of the editor window tests: private home and data folders, the
// scripted prompts, and a publishing stand-in that records what it was given.
#pragma once

#include "ScratchHome.h"

#include "model/Error.h"
#include "ui/GUI.h"
#include "ui/Prompts.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

// One call of the publishing seam.
struct SaveCall
{
    QString folder;
    QString fileName;
    TAppletData gallery;
    int nodes = 0;
};

class UiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { form.reset(); }

    TMainForm &MakeForm()
    {
        form = std::make_unique<TMainForm>(prompts);
        form->SaveAll = [this](TAppletAgent &document, const QString &folder, const QString &name, IItemTree &tree, IProgress &) {
            saves.push_back({folder, name, document.AppletData, tree.NodeCount()});
            if (saveError)
                throw QmError(QStringLiteral("The disk is full."));
            return saveResult;
        };
        return *form;
    }

    template <typename T = QWidget> T *Find(const char *name) const { return form->findChild<T *>(QLatin1String(name)); }

    ScratchHome scratch;
    TScriptedPrompts prompts;
    std::unique_ptr<TMainForm> form;
    std::vector<SaveCall> saves;
    bool saveResult = true;
    bool saveError = false;
};
