#pragma once

#include "platform/FileRecord.h"
#include "platform/ShellCopy.h"
#include "platform/ShellResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Progress;

// The deletion of the unused files the user selected: to the trash or for
// good, optionally after a verified backup copy of each file recorded in the
// deletion log. It works on the exact files the analysis recorded and checks
// each right before it copies or removes it; the window only gathers the
// items and the options and shows the outcome.
namespace Deletion {

// Every file operation of a run, in one place, so that a test can make any
// of them fail. The default is the real thing.
class FileOps
{
public:
    virtual ~FileOps();

    // Empties every trash of the user (asking first).
    virtual ShellResult emptyTrash();
    // Sends the recorded file to the trash; with `confirm`, asks first
    // (declined leaves it). Never deletes for good.
    virtual ShellResult trash(const FileRecord &file, const QString &shown, bool confirm);
    // Deletes the recorded file for good.
    virtual ShellResult remove(const FileRecord &file);
    // Deletes the recorded file for good unless it is read-only (a delete
    // without force).
    virtual ShellResult removeUnlessReadOnly(const FileRecord &file);

    // Backup copies into one folder (host path), made safe together.
    virtual void beginCopies(const QString &folderHost);
    virtual ShellResult addCopy(const FileRecord &file, const QString &name);
    virtual int pendingCopies() const;
    virtual qint64 pendingCopyBytes() const;
    virtual std::vector<ShellCopy::Batch::Committed> commitCopies();
    // The names already in the backup folder.
    virtual QStringList namesIn(const QString &folderHost);

    // The deletion log of the backup folder.
    virtual bool openLog(const QString &folderHost, const QString &date, const QString &time, QString *why);
    virtual bool addLogLine(const QString &line, QString *why);
    virtual bool syncLog(QString *why);
    virtual void closeLog();

private:
    std::unique_ptr<ShellCopy::Batch> m_copies;
    struct Log;
    std::shared_ptr<Log> m_log;
};

// One selected file: the line as the user saw it and the file it names.
struct Item
{
    int row = 0; // its row in the window's list (the progress shows it)
    QString path;
    FileRecord record;
};

struct Options
{
    bool toTrash = false;     // else for good
    bool confirm = false;     // ask before each file goes (to the trash or for good)
    bool emptyTrashFirst = false;
    // For good: a read-only file is kept (and counted as failed).
    bool keepReadOnly = false;
    // The backup folder (a Windows path); empty: no backup.
    QString backupFolder;
    QStringList protectedFolders; // honoured in every mode
    QString date, time;           // of the log's header line
    int rows = 0;                 // the list's length (the progress runs over it)
};

enum class Status { NotReached, Deleted, Skipped, Failed };

struct ItemResult
{
    Status status = Status::NotReached;
    QString reason;
};

struct Report
{
    std::vector<ItemResult> items; // one per item, in order
    int deleted = 0;
    int skipped = 0;
    int failed = 0;
    bool started = false;   // false: nothing was touched (see `stopped`)
    bool cancelled = false; // the user cancelled
    // Why the run stopped before its end, other than a cancel (the log could
    // not be written); empty when it did not.
    QString stopped;
    QStringList problems; // one line per skipped or failed item, with the reason
    // Of the skipped: those whose name was taken in the backup folder (by a
    // file there before the run, or copied earlier in it).
    int nameTaken = 0;
};

// Runs the deletion of `items`. `progress` shows the row reached, lets the
// window's events run and tells a cancel (seen between items); `onItem` is
// told each item's outcome as soon as it is known.
Report run(const std::vector<Item> &items, const Options &options, FileOps &files, Progress &progress,
           const std::function<void(size_t index, const ItemResult &)> &onItem = {});

} // namespace Deletion
