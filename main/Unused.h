#pragma once

#include "platform/FileRecord.h"
#include "platform/WinFs.h"
#include "services/ModuleArchivos.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class Progress;

// The rules of the unused-files and missing-files searches, apart from the
// window: which folders are inventoried, when an inventory file counts as
// one a project uses, which of the rest are offered for deletion, and which
// used files are missing.
namespace Unused {

using InventoryEntry = ModuleArchivos::Inventory::Entry;

// A line of the unused list and the exact file it names.
struct UnusedEntry
{
    QString line;
    FileRecord record;
};

// The inventory patterns, in the order each folder is listed with them.
const QStringList &patterns();

// The folder of a project-list item: from the drive letter to the end, minus
// the file name (so it ends in "\"). When the project file cannot be found
// the whole path is returned.
QString projectFolder(const QString &item);

// Distinct folders of the listed projects, in list order (exact text).
QStringList projectFolders(const QStringList &items);

// True when the lower-cased path ends in an ending the unused list takes:
// ".wav", ".aif", ".mp3", ".ogg", "flac", ".wma", ".m4a".
bool isAudioEnding(const QString &path);

// The content test of two files of the same name.
enum class Sameness { Identical, Different, Unreadable };
struct Comparison
{
    Sameness result = Sameness::Different;
    QString unreadable; // the file that could not be read (Windows path)
};

// Same length and same bytes, compared in large blocks and stopping at the
// first difference. The same file under two names (device and inode) is
// identical without reading it; two regular files of different lengths are
// different without being opened. A file that cannot be opened or read gives
// Unreadable with its name; "" for either name gives Different.
Comparison compareFiles(const QString &file1, const QString &file2);

// Decides whether an inventory line names a file the projects use. A line
// matches a used line when the texts are equal; or when it names one of the
// files the used path names (WinFs::answers: several when the spelling is
// not on the disk and several names answer to it, and then each of them is
// kept); or when both file names are the same name (WinFs::nameKey: accents
// in either Unicode form, letters in either case) and the line is no
// regular file or is hidden, or the used file is missing (it may have been
// moved there), or the two have the same contents, or one of them cannot be
// read (kept: nothing is offered for deletion because of a read error).
// Or when the line is a used path followed by "." and more ("x.mp3.wav"
// beside a used "x.mp3", names compared as above): the project may name a
// take whose name it holds in full by a part of it.
// Header lines (">"), "FreezeData" lines and blank lines of the used list
// take no part.
//
// The used lines are indexed once, so each inventory line costs a few hash
// lookups instead of a pass over the whole used list.
class Matcher
{
public:
    using Compare = std::function<Comparison(const QString &, const QString &)>;

    explicit Matcher(const QStringList &usedLines, Compare compare = compareFiles);

    // `mayBeLink`: the line may name a symbolic link (false when the listing
    // said it is a plain entry, which saves a look at the file).
    bool matches(const QString &inventoryLine, bool mayBeLink = true);

    // Looks at every used file once, letting events run as it goes (the
    // match does it on its first line otherwise).
    void prepare(Progress &progress);

    // Lets go of what the match built, a piece at a time with events run
    // between (tens of thousands of used files make a large index). Nothing
    // may be matched afterwards; the counts stay.
    void release(Progress &progress);

    // Called with the file that could not be read, each time it happens.
    std::function<void(const QString &)> onUnreadable;

    // Whether each used line the match looked at names a normal file (see
    // WinFs::findNormalFile), by line: the missing-files list needs no
    // second look at them.
    QHash<QString, bool> normalFiles(Progress *progress = nullptr) const;
    // The same by the index of the line in the lines given: 1 a normal
    // file, 0 not, -1 not looked at.
    std::vector<signed char> looks(Progress *progress = nullptr) const;

    // The files kept so far because they answer, with another one, to a used
    // path whose spelling is not on the disk (each file once).
    int keptAnsweringTogether() const { return int(m_togetherKept.size()); }

private:
    // One of the files a used line names: its index, and which of its answers.
    struct Ref
    {
        int used;
        int answer;
    };
    // The index of the used lines: exact texts, and file names by their key
    // (chains of used indices, in list order, by a hash of the key).
    void index(Progress *progress);
    int firstNamed(QStringView name) const;
    // `l` is a used path followed by "." and more.
    bool extendsUsed(const QString &l) const;
    int nextNamed(int u, QStringView name) const;
    // The first answer of a used line (not there: no answer).
    const WinFs::FileStat &usedStat(int index);
    // How many files a used line names (looked at once).
    int answerCount(int index);
    const WinFs::FileStat &answerStat(Ref r);
    // Where it was found, for reading it, and its Windows path as spelt there.
    QString answerHost(Ref r) const;
    QString answerPath(Ref r) const;
    // A digest of the first bytes of a file, read once; nothing when it
    // cannot be read.
    std::optional<quint64> headDigest(const QString &file, const QString &host);
    void indexIds(Progress *progress);
    // Notes an inventory file kept as one of the files a used line names.
    void noteKept(const WinFs::FileId &id);

    Compare m_compare;
    QStringList m_used;
    // The index of each used line that takes part in the lines given.
    std::vector<int> m_givenIndex;
    qsizetype m_givenCount = 0;
    bool m_indexed = false;
    QSet<QString> m_exact;
    QHash<quint64, int> m_nameHead;
    std::vector<int> m_nameNext;
    std::vector<WinFs::FileStat> m_stat;
    // The used lines whose file was found under another spelling: its host.
    QHash<int, QString> m_hosts;
    // The used lines that several files answer to: all of them.
    QHash<int, std::vector<WinFs::Answer>> m_together;
    QSet<std::pair<quint64, quint64>> m_togetherIds, m_togetherKept;
    QHash<QString, quint64> m_digests;
    // The used files of one name, by length and, where several share a
    // length, by the digest of their first bytes: an inventory file is then
    // compared in full only with the used files that could be its copy.
    struct SizeBucket
    {
        std::vector<Ref> all;
        bool digested = false;
        QHash<quint64, std::vector<Ref>> byDigest;
        std::vector<Ref> unreadable; // their first bytes could not be read
    };
    struct NameGroup
    {
        bool anyMissing = false; // a used file of this name is not on disk
        QHash<qint64, SizeBucket> bySize;
    };
    // The group of the used files named `name`, the first of them `first`.
    NameGroup &nameGroup(int first, QStringView name);
    // Whether `l` (found at `host`, looked at as `lst`) is the copy of a
    // used file of its name (contents, or a file that cannot be read).
    bool sameContents(const QString &l, const QString &host, const WinFs::FileStat &lst, NameGroup &group);
    bool compareWith(const QString &l, const QString &host, const WinFs::FileStat &lst, Ref r);
    QHash<int, NameGroup> m_groups;
    bool m_plainCompare = false; // the file comparison is the real one
    enum class StatState : unsigned char { NotLooked, Missing, There };
    std::vector<StatState> m_statState;
    QSet<std::pair<quint64, quint64>> m_ids; // used files: device and inode
    bool m_idsReady = false;
    // A used file that is a link or has other hard links may be any
    // inventory line under another name: every line must then be looked at.
    bool m_usedAliases = false;
};

// True for a used line that takes part in the match.
bool takesPart(const QString &usedLine);

// True when `line` is `used` followed by "." and more, compared as
// WinFs::sameName() compares names.
bool extendsPath(QStringView line, QStringView used);

// The literal rule between one inventory line and one used line (the
// window's fast match must agree with it).
bool lineMatches(const QString &inventoryLine, const QString &usedLine,
                 const Matcher::Compare &compare = compareFiles);

// Removes from `inventory` every entry whose line matches a used line (an
// entry the listing saw as no symbolic link is matched as a plain one).
// Returns false when cancelled (the inventory is then partly matched).
// Window events run through `progress` as it goes, folder readings of the
// case-blind resolution included: the caller keeps other commands out.
bool removeUsed(std::vector<InventoryEntry> &inventory, Matcher &matcher, Progress &progress);

struct UnusedEntries
{
    std::vector<InventoryEntry> lines; // each path once, in inventory order
    int found = 0;                     // paths taken before duplicates were removed
    int duplicates = 0;
    QString lastDuplicate; // the last duplicate removed
    bool cancelled = false;
};

// The audio files left in the inventory after the match: "FreezeData" paths
// and folders are never offered for deletion.
UnusedEntries unusedAudio(const std::vector<InventoryEntry> &remaining, Progress &progress);

// The exact file of each unused entry, as it is now: its host path from the
// folder the listing found it in and its own name, and its identity. An
// entry whose file cannot be recorded (it went away) is left out, counted in
// `leftOut` when given: nothing is offered that the deletion could not
// check. `progress` is pumped as it goes.
std::vector<UnusedEntry> recordFiles(const std::vector<InventoryEntry> &entries, Progress &progress,
                                     int *leftOut = nullptr);

// The files the listing passed over (see ModuleArchivos::Inventory::passedOver)
// that the unused list would have taken: each audio path once.
int passedOverAudio(const QStringList &passedOver);

// The status text that tells how many files were passed over.
QString passedOverNotice(int count);
// The status text that tells how many files were kept because they answer
// together to one used name.
QString answeringTogetherNotice(int count);
// The status box's warning that `count` projects of the inventoried folders
// were not analysed (the files only they use look unused).
QString otherProjectsNotice(int count);

// The captions of the unused list: element 0 (none found) and element 1.
QString captionNone();
QString captionFound(int found, int duplicates);
// Element 1 when the list was emptied: the run was cancelled, or a project
// could not be read (no count: the files found are not listed).
QString captionCancelled();
QString captionUnreadable();

// The missing-files list: headers (a dash line of 100 "-" before each but the
// first), then each used path of that project that `isMissing` says is
// missing; repeated lines other than headers and dash lines stand once.
struct MissingList
{
    QStringList lines;
    int missing = 0;
};
MissingList missingList(const QStringList &usedLines, const std::function<bool(const QString &)> &isMissing,
                        const std::function<bool()> &cancelled);
// The same, `isMissing` told the index of the used line too.
MissingList missingList(const QStringList &usedLines, const std::function<bool(qsizetype, const QString &)> &isMissing,
                        const std::function<bool()> &cancelled);

QString missingSummary(int missing);

// The name of the missing-files log for a date: "Perdidos_<short date with
// "-" for "/">.log".
QString missingLogName(const QString &shortDate);

// The lines of the missing-files log.
QStringList missingLogLines(const QString &summary, const QString &date, const QString &time,
                            const QStringList &listLines);

// A folder and a file name joined with one "\".
QString joinPath(const QString &folder, const QString &name);

} // namespace Unused
