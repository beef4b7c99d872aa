#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

// The file finder: a recursive search of one folder (or of every mapped
// drive) for the files that pass a pattern, size, date, attribute and name
// test, with the drive, volume, file and icon queries that go with it.
//
// Paths in and out are Windows paths ("D:\Audio\take.wav"); the drive map
// turns them into host paths. Results keep the folder exactly as the caller
// gave it ("d:\audio" gives "d:\audio\take.wav").
//
// The search runs on the calling (GUI) thread and lets window events run as
// it enters each folder, so a window stays usable and may call StopSearch()
// from any handler. A folder's entries come in the drive map's listing order
// (case-blind by name), a folder's own files before anything inside its
// sub-folders. Symbolic links to folders are never walked into and never
// reported (nor counted), so a link loop cannot hang a search.
//
// Windows attributes have no exact meaning here; the attribute word of an
// entry is made as follows:
//   read-only (1)      the file cannot be written by this process
//   hidden (2)         its name starts with "."
//   system (4)         never
//   directory (16)     a folder (or a symbolic link to one)
//   archive (32)       every file that is not a folder: the host keeps no
//                      archive bit, and Windows sets it on every file written
//   reparse point (1024) a symbolic link
// so a plain writable file has exactly the word 32.
//
// The stateless queries are static members; an instance is needed only for
// the search.
class cFindFiles final : public QObject
{
    Q_OBJECT

public:
    enum : qint32 {
        AttrReadOnly = 1,
        AttrHidden = 2,
        AttrSystem = 4,
        AttrDirectory = 16,
        AttrArchive = 32,
        AttrReparsePoint = 1024,
    };

    explicit cFindFiles(QObject *parent = nullptr);
    ~cFindFiles() override;

    // A time stamp of a file or folder, in local time. lOptionDate: 0 to 2 the
    // date of creation, last write, last access (time 00:00); 3 to 5 their
    // time to the minute (on the zero date 1899-12-30); 6 to 8 date and time
    // to the second. A null QDateTime (the zero date) when the path cannot be
    // found or the option is not 0 to 8. Creation is the birth time where the
    // file system keeps one, otherwise the last write.
    static QDateTime GetFileDateTime(const QString &sPath, qint32 lOptionDate);

    // Runs a search: every file under sDirPath (a Windows folder, with or
    // without its trailing "\"; "" = every mapped drive) whose name matches
    // sPattern ("" = every file; "*.vip"; several extensions as
    // "*.wav;*.mp3") and whose base name (name without its last extension,
    // lower-cased) passes sFileName: with lFindOption 1 it contains it ("" =
    // any non-empty base name), otherwise it equals it with blanks trimmed
    // (so every file is Find(folder, pattern, "", 1); the defaults find only
    // names without a base, such as ".vip").
    // A single pattern is the Windows file-search mask: case-blind, and a
    // three-character extension also matches longer ones ("*.fla" finds
    // "take.flac"). Raises InitSearch, GetFile per file found, EndSearch.
    // Returns false, without searching and without any signal, when a search
    // of this instance is already running (a second search would corrupt the
    // first one's counters and results). Returns false after EndSearch when
    // sFileName holds a character a file name cannot hold (the user is told).
    bool Find(const QString &sDirPath, const QString &sPattern = {}, const QString &sFileName = {},
              qint32 lFindOption = 0);

    // Asks the running search to stop: the files of the folder being searched
    // are still reported, no other folder is entered; EndSearch still comes.
    void StopSearch();

    // True from the start of Find() until it returns.
    bool isSearching() const { return m_searching; }

    // Drive queries. A drive is "D", "D:" or "D:\" (as each query's rule
    // normalises it) for a letter of the drive map; any other text is a
    // drive that does not exist.

    // Always 0; *FreeSpace = free bytes of the volume (all of them, not only
    // those this user may take), *TotalSpace = its size. Zeros for a drive
    // that does not exist or is not ready.
    static qint64 GetDiskFreeSpace(const QString &sDrive, qint64 *FreeSpace = nullptr,
                                   qint64 *TotalSpace = nullptr);

    // The path shortened to at most lMaxChar - 1 characters: the part before
    // the file name is cut and "..." put in its place; a file name that alone
    // is too long is cut and ended by "...". At most 255 characters; "" for
    // lMaxChar below 1.
    static QString CompactPath(const QString &sPath, qint32 lMaxChar = 0);

    // The volume label of the drive ("" when it has none, does not exist or
    // is not ready); the volume's serial number, label and file-system type
    // (as the host names it, "ext4") are stored where asked.
    static QString GetDriveInfo(const QString &sDrive, quint32 *lSerialNumber = nullptr,
                                QString *sLabel = nullptr, QString *sFileSystem = nullptr);

    // The program that opens the file: the file itself when it is an
    // executable, otherwise the desktop's default application for its type,
    // as a Windows path. "" when there is none or the file cannot be found.
    static QString GetExecutable(const QString &sPath);

    // True when the drive exists and its volume can be read.
    static bool DriveIsReady(const QString &sDrive);

    // "DRIVE_FIXED", "DRIVE_REMOVABLE", "DRIVE_REMOTE" (network file
    // systems), "DRIVE_CDROM" (iso9660, udf), "DRIVE_RAMDISK" (tmpfs,
    // ramfs), "DRIVE_UNKNOWN", or "DRIVE_NO_ROOT_DIR" for a drive that does
    // not exist.
    static QString GetDriveType(const QString &sDrive);

    // A folder (or a link to one).
    static bool IsDirectory(const QString &sPath);

    // A file or folder exists at the path, found as the Windows file search
    // finds it: case-blind, hidden entries included, "*" and "?" allowed in
    // the last component. A drive root ("C:\") is never found; any other
    // path ending in "\" is looked up without it.
    static bool FileExist(const QString &strFile);

    // "1023 bytes", "1,00 KB", "1,50 MB", "2,00 GB": the decimal separator is
    // the locale's, no group separator.
    static QString GetFormatSize(double n_bytes);

    // The desktop's name of the file's type ("WAV audio"); "" when the file
    // cannot be found. At most 79 characters.
    static QString GetFileType(const QString &sPath);

    // The file title and the extension (without its dot) of a path: the
    // rules of Buscar::Obtener_Nombre_Archivo and Buscar::Obtener_Extension.
    static QString GetFileName(const QString &sPath);
    static QString GetExtension(const QString &sPath);

    // The root of a path: "C:\" for "C:\a\b", "C:" for "C:",
    // "\\server\share" for a network path; "" when it has none.
    static QString GetDriveFromPath(const QString &sPath);

    // The roots of the mapped drives ("C:\", "D:\", ...), in letter order.
    static QStringList pvGetDrives();

    // The paths found by the last search, in the order found. A new list at
    // the start of every search: a copy taken earlier keeps its results.
    const QStringList &ColFiles() const { return m_colFiles; }
    // The files of the last search that passed every test but whose name,
    // or the name of a folder above them, cannot be a Windows name: they are
    // not in ColFiles (no path could name them), here as shown (lossy).
    const QStringList &PassedOver() const { return m_passedOver; }
    // The drive roots present when the instance was made.
    const QStringList &ColDrives() const { return m_colDrives; }
    // The patterns of the last search (a single mask, or the extensions of
    // a list), empty ones left out.
    QStringList ColExtensions() const;
    qint32 FilesCount() const { return m_filesCount; }
    qint32 DirCount() const { return m_dirCount; }
    double TotalSize() const { return m_totalSize; } // bytes

    bool SearchSubDirs() const { return m_searchSubDirs; }
    void setSearchSubDirs(bool value) { m_searchSubDirs = value; }

    // Inclusive size bounds in bytes; 0 = no bound. A maximum below the
    // minimum (or a minimum above the maximum) is refused with a message and
    // the bound becomes 0.
    qint64 MaxFileSize() const { return m_maxFileSize; }
    void setMaxFileSize(qint64 value);
    qint64 MinFileSize() const { return m_minFileSize; }
    void setMinFileSize(qint64 value);

    // Inclusive date bounds (a file's date, time dropped, is compared with
    // them); a null QDateTime = no bound.
    QDateTime DateCreationTo() const { return m_dateCreationTo; }
    void setDateCreationTo(const QDateTime &value) { m_dateCreationTo = value; }
    QDateTime DateCreationFrom() const { return m_dateCreationFrom; }
    void setDateCreationFrom(const QDateTime &value) { m_dateCreationFrom = value; }
    QDateTime DateLastModifiedFrom() const { return m_dateLastModifiedFrom; }
    void setDateLastModifiedFrom(const QDateTime &value) { m_dateLastModifiedFrom = value; }
    QDateTime DateLastModifiedTo() const { return m_dateLastModifiedTo; }
    void setDateLastModifiedTo(const QDateTime &value) { m_dateLastModifiedTo = value; }
    QDateTime DateLastAccessTo() const { return m_dateLastAccessTo; }
    void setDateLastAccessTo(const QDateTime &value) { m_dateLastAccessTo = value; }
    QDateTime DateLastAccessFrom() const { return m_dateLastAccessFrom; }
    void setDateLastAccessFrom(const QDateTime &value) { m_dateLastAccessFrom = value; }

    // The attribute word a file must have exactly; 0 = no test. Writing
    // stores the value plus the archive bit (32): files always carry it.
    qint32 Attributes() const { return m_attributes; }
    void setAttributes(qint32 value) { m_attributes = value + AttrArchive; }

Q_SIGNALS:
    void GetFile(const QString &path);
    void InitSearch();
    void EndSearch();

private:
    struct Walk;
    void pvSearchFolder(const QString &folder, Walk &walk);
    void pvAddFile(const QString &path, qint64 size);
    bool pvMatchName(const QString &name) const;

    qint32 m_filesCount = 0;
    qint32 m_dirCount = 0;
    double m_totalSize = 0;
    QStringList m_colFiles;
    QStringList m_passedOver;
    QStringList m_colDrives;
    bool m_searchSubDirs = true;
    qint64 m_maxFileSize = 0;
    qint64 m_minFileSize = 0;
    bool m_bStop = false;
    qint32 m_attributes = 0;
    qint32 m_lFindOption = 0;
    QStringList m_sPatterns;
    QString m_sFileName;
    QDateTime m_dateCreationTo;
    QDateTime m_dateCreationFrom;
    QDateTime m_dateLastModifiedFrom;
    QDateTime m_dateLastModifiedTo;
    QDateTime m_dateLastAccessFrom;
    QDateTime m_dateLastAccessTo;
    bool m_searching = false;
};
