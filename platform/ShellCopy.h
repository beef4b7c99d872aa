#pragma once

#include "platform/ShellResult.h"

#include <QString>

#include <memory>
#include <vector>

class QTemporaryFile;
struct FileRecord;

// Copying a file into a folder the way the desktop shell does it: the user
// is asked before a missing folder is created and before an existing file is
// replaced (through Ask), and a copy never leaves a partial file behind (it
// is written under a temporary name in the target folder, flushed, then
// renamed). The copy keeps the source's modification time.
namespace ShellCopy {

// `sourceHost` a file, `folderHost` the folder that receives it under the
// same name. Copying a file onto itself fails.
ShellResult copyInto(const QString &sourceHost, const QString &folderHost);

// Backup copies of many files into one folder, made safe together: add()
// writes a whole copy under no name (or a hidden temporary one) in the
// folder; commit() brings every copy added since the last commit to the disk
// at once (one flush for the lot rather than one per file), reads each back
// against its source, then gives each good copy its name, never replacing a
// file that is there, and brings the names to the disk. Asks nothing: the
// caller has checked the folder and the names. A copy that is not committed,
// or fails, leaves nothing behind.
class Batch
{
public:
    explicit Batch(const QString &folderHost);
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    // Copies the recorded file to come under `name` in the folder. Failed,
    // with the reason, when the file is not the recorded one any more (it is
    // opened without following a link and checked on the opened file) or the
    // copy cannot be written in full.
    ShellResult add(const FileRecord &source, const QString &name);

    // Copies waiting for commit(), and their bytes.
    int pending() const { return int(m_entries.size()); }
    qint64 pendingBytes() const { return m_bytes; }

    struct Committed
    {
        ShellResult result;
        bool differs = false; // the copy read back was not the source: it was dropped
        bool changed = false; // the source is not the recorded file any more
    };
    // One result per add() that succeeded since the last commit, in order.
    // Done: the copy is on disk under its name, equal to its source byte for
    // byte, and its name is on disk too.
    std::vector<Committed> commit();

private:
    struct Entry;
    bool sameBytes(Entry &e, QString *why, bool *changed);

    QString m_folder;
    int m_folderFd = -1; // opened before the copies it will flush are written
    std::vector<std::unique_ptr<Entry>> m_entries;
    qint64 m_bytes = 0;
    std::vector<char> m_a, m_b;
};

} // namespace ShellCopy
