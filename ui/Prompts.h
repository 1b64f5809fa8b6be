// Everything the editor asks the user or hands to the desktop goes through one
// interface: message boxes, file and colour dialogs, and opening a file or address
// with the user's default program. The window uses the widget implementation; tests
// use the scripted one, which answers from queues and records every call, so no
// test ever waits for a modal dialog.
#pragma once

#include "model/TextUtils.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QMessageBox;
class QWidget;

enum class TAnswer { Yes, No, Cancel, Ok };

enum class TWarningButtons { Yes, YesNo, YesNoCancel };

// The file that saving to a chosen path would replace (a save may write another name
// than the one typed, such as the name with its extension added).
using TReplacedFile = std::function<QString(const QString &chosenPath)>;

class IPrompts
{
public:
    virtual ~IPrompts() = default;

    virtual void Information(const QString &text) = 0;
    // A warning with the given buttons; the answer is one of them (closing the box
    // answers Cancel, or No when there is no Cancel button).
    virtual TAnswer Warning(const QString &text, TWarningButtons buttons) = 0;
    // An error box with an OK button.
    virtual void Error(const QString &text) = 0;

    // Filters are written as description|patterns pairs, "Text Files (*.txt)|*.txt|...";
    // the first pair is selected. An empty initial folder opens where the dialog was
    // last used. The answer is the chosen path, or empty when the dialog was dismissed.
    virtual QString OpenFile(const QString &filter, const QString &initialFolder) = 0;
    // With `replaced` given, a choice whose replaced file exists is confirmed first
    // (SaveFileConfirmed); answering No shows the dialog again in the chosen folder.
    virtual QString SaveFile(const QString &filter, const QString &initialFolder, const TReplacedFile &replaced) = 0;
    // Picture files (the same filter form); several may be chosen when `multiple`.
    virtual QStringList OpenPictures(const QString &filter, const QString &initialFolder, bool multiple) = 0;
    // The chosen colour, or nothing when the dialog was cancelled.
    virtual std::optional<TColor> PickColor(TColor initial) = 0;
    // Opens a file path or a web address with the user's default program, without
    // waiting for it. When the desktop cannot, a box says so and gives the address to
    // open by hand, with a button that copies it; the answer is false when that is
    // known at once (a failure that comes a moment later brings the box all the same).
    virtual bool ShellOpen(const QString &fileOrAddress) = 0;
};

// "Desc|*.a;*.b|Desc2|*.c" as a Qt dialog filter "Desc (*.a *.b);;Desc2 (*.c)".
QString QtFileFilter(const QString &filter);

// The question asked before a save replaces `file`.
QString ReplaceQuestion(const QString &file);

// The save dialog's loop shared by every implementation: `choose` shows the dialog
// in a folder and returns the choice ("" when dismissed). A choice is returned when
// there is nothing to check, when its replaced file does not exist, or when the user
// answers Yes to ReplaceQuestion; after No the dialog opens again in the folder of
// the refused choice.
QString SaveFileConfirmed(IPrompts &prompts, const QString &initialFolder, const TReplacedFile &replaced,
                          const std::function<QString(const QString &folder)> &choose);

// The box shown when the desktop cannot open `address`; its "Copy Address" button
// puts the address on the clipboard.
std::unique_ptr<QMessageBox> CannotOpenBox(QWidget *owner, const QString &address);

// The real dialogs, parented to `owner`.
class TWidgetPrompts : public IPrompts
{
public:
    explicit TWidgetPrompts(QWidget *owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget *owner) { m_owner = owner; }

    void Information(const QString &text) override;
    TAnswer Warning(const QString &text, TWarningButtons buttons) override;
    void Error(const QString &text) override;
    QString OpenFile(const QString &filter, const QString &initialFolder) override;
    QString SaveFile(const QString &filter, const QString &initialFolder, const TReplacedFile &replaced) override;
    QStringList OpenPictures(const QString &filter, const QString &initialFolder, bool multiple) override;
    std::optional<TColor> PickColor(TColor initial) override;
    bool ShellOpen(const QString &fileOrAddress) override;

private:
    QString StartFolder(const QString &initialFolder) const;
    void Remember(const QString &chosenPath);

    QWidget *m_owner;
    QString m_lastFolder;
};

// Answers from queues filled by a test and records each call as one line
// ("warning: Save changes...", "save: <filter> | <folder> | overwrite-check", ...).
// An empty queue answers Cancel (No without a Cancel button) or a dismissed dialog.
// The save dialog confirms a replacement as the real one does, so the question is
// recorded and answered from `answers` too.
class TScriptedPrompts : public IPrompts
{
public:
    void Information(const QString &text) override;
    TAnswer Warning(const QString &text, TWarningButtons buttons) override;
    void Error(const QString &text) override;
    QString OpenFile(const QString &filter, const QString &initialFolder) override;
    QString SaveFile(const QString &filter, const QString &initialFolder, const TReplacedFile &replaced) override;
    QStringList OpenPictures(const QString &filter, const QString &initialFolder, bool multiple) override;
    std::optional<TColor> PickColor(TColor initial) override;
    bool ShellOpen(const QString &fileOrAddress) override;

    std::deque<TAnswer> answers;
    std::deque<QString> files;        // OpenFile and SaveFile; "" dismisses
    std::deque<QStringList> pictures; // OpenPictures; {} dismisses
    std::deque<std::optional<TColor>> colours;

    QStringList calls;    // every call, in order
    QStringList messages; // texts of the message boxes only
    QStringList opened;   // what ShellOpen was given
};
