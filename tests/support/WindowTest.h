#pragma once

#include "main/Activity.h"
#include "main/Peers.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/LibraryTest.h"

#include <QList>
#include <QPoint>
#include <QStringList>

#include <memory>
#include <optional>

class Form1;

// Stand-ins for the windows above the main window: each notes what it is
// asked and answers from its fields.
struct FakePlayer : Peers::PlayerWindow
{
    void unloadFormMedia() override { ++unloads; }
    void stop() override { ++stops; }
    void stopAndClear() override { ++stopsAndClears; }
    bool isVisible() override { return visible; }
    void setVisible(bool v) override
    {
        shown << v;
        visible = v;
    }
    void toggleVisible() override
    {
        ++toggles;
        visible = !visible;
    }
    void focus() override { ++focuses; }
    void toStoredPlace() override { ++placed; }
    int volume() override { return volumeValue; }
    void setVolume(int v) override { volumeValue = v; }
    std::optional<Peers::PlayerState> state() override { return stateValue; }
    void CopiarListas(QListWidget *, const QString &tipo) override { copied << tipo; }
    void setLabelIndex(const QString &caption) override { labelIndex << caption; }
    void PlayAudio(const QString &audio) override { played << audio; }

    int unloads = 0, stops = 0, stopsAndClears = 0, toggles = 0, focuses = 0, placed = 0;
    int volumeValue = -1; // -1: never set
    bool visible = false;
    QList<bool> shown;   // each setVisible
    QStringList copied;  // the source name of each CopiarListas
    QStringList played;  // each PlayAudio
    QStringList labelIndex; // each setLabelIndex
    std::optional<Peers::PlayerState> stateValue;
};

// Their runs are the arbiter's: `running` and `busy` hold a token while set.
struct FakeDeletion : Peers::DeletionWindow
{
    void toggleVisible() override { ++toggles; }
    void unusedListChanged(const std::shared_ptr<const Analysis> &, const std::vector<bool> &, Progress *) override
    {
        ++listChanges;
    }

    Activity::Switch running{Activity::Kind::Deletion};
    int toggles = 0, listChanges = 0;
};

struct FakeRestore : Peers::RestoreWindow
{
    void show() override { ++shows; }
    int shows = 0;
};

struct FakeAssociated : Peers::AssociatedFilesWindow
{
    void unloadForm2() override { ++unloads; }
    void show() override { ++shows; }
    Activity::Switch busy{Activity::Kind::AssociatedScan};
    int unloads = 0, shows = 0;
};

// A window test over a library drive D: (LibraryTest) with an empty settings
// store. The windows above the main window are the fakes below until the
// test installs others (use()); shut-down counts in `ended` instead of
// ending the process. Tear-down destroys every window still there and puts
// every shared variable of the windows back to its start value.
class WindowTest : public LibraryTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // This window in place of its fake.
    void use(Peers::PlayerWindow &w);
    void use(Peers::DeletionWindow &w);
    void use(Peers::RestoreWindow &w);
    void use(Peers::AssociatedFilesWindow &w);

    // Answers every dialog from now on as a person would (`answerer`); a
    // second call starts afresh, with nothing asked.
    void answerDialogs() { answerer = std::make_unique<DialogAnswerer>(); }
    // "title | text" of each message shown since, answered with its first
    // button unless another was queued.
    QStringList asked() const { return answerer->messages(); }
    // Opens a project as the user does: the button, then the file dialog.
    static void openProject(Form1 &f, const QString &hostPath);

    FakePlayer player;
    FakeDeletion deletion;
    FakeRestore restoreWindow;
    FakeAssociated associated;
    int ended = 0;
    std::unique_ptr<DialogAnswerer> answerer;

private:
    void installPeers();
    Peers::PlayerWindow *m_player = &player;
    Peers::DeletionWindow *m_deletion = &deletion;
    Peers::RestoreWindow *m_restore = &restoreWindow;
    Peers::AssociatedFilesWindow *m_associated = &associated;
};
