#pragma once

#include <QString>
#include <QStringList>

// The per-user settings store: text values under application "Velmar",
// section "Ruzvel" (~/.config/Velmar/Velmar.ini; tests point
// XDG_CONFIG_HOME at a temp folder).
namespace Settings {

// A stored text is cut at its first NUL, as a Windows string is.
QString get(const QString &key, const QString &defaultValue = QString());
void set(const QString &key, const QString &value);
bool contains(const QString &key);
void remove(const QString &key);

// Writes what is pending to disk; false when the store could not be written
// (and while its file is held, below).
bool sync();

// The store's file (a host path).
QString fileName();

// How the store's file reads against what the store read from it. A file
// that could not be read as it is written (the store's own status says so,
// a key line of the file that the store did not read as it stands, under
// its group: a line ending in "\" before a group, an unclosed quote; a
// value read as no text: a comma outside quotes makes it a list; key
// names that are not UTF-8 text: a file saved as UTF-16; values that are
// not UTF-8 text: a file saved in another code page; a UTF-8 byte-order
// mark, which the store takes for a format error) is held: nothing
// is written over it while the program runs, so that what it holds stays
// for the user to mend; the values set meanwhile live in memory only (and
// sync() says they could not be written). Looked at when the store is
// opened and again by each call here; a file mended meanwhile is read anew.
struct FileCheck
{
    // Why the file could not be read as it is written ("" when it could).
    QString problem;
    // The keys of the file's lines, "group/key" ("key" outside any group),
    // as the lines stand; and those of them the store did not read as
    // they stand.
    QStringList keys;
    QStringList notReadBack;
    // Key lines whose names are no text (NULs, not UTF-8): which keys they
    // hold cannot be told.
    bool undecodable = false;

    bool ok() const { return problem.isEmpty(); }
};
FileCheck checkFile();

// A stored whole number in [minimum, maximum]; anything else (missing, not a
// number, out of range: a hand-edited file) gives the default.
int getInt(const QString &key, int defaultValue, int minimum, int maximum);

// A stored number of twips (a plain decimal that may carry a fraction);
// missing or not a number gives the default.
double getTwips(const QString &key, double defaultValue);

// Forget the open store so the next call reads the file again (tests).
void reset();

// A key of the store, declared once, next to the window that owns it, with
// how its text is read.
struct Key
{
    const char *name; // UTF-8

    QString key() const { return QString::fromUtf8(name); }
    // The stored text as it is ("" when missing).
    QString text() const { return get(key()); }
    void setText(const QString &value) const { set(key(), value); }
    bool stored() const { return contains(key()); }
};

// A whole number in [minimum, maximum]: missing, not a number or out of
// range (a hand-edited file) reads as the default.
struct IntKey : Key
{
    int defaultValue;
    int minimum;
    int maximum;

    int value() const { return valueOr(defaultValue); }
    // The same with another default (one known only when it is read).
    int valueOr(int fallback) const { return getInt(key(), fallback, minimum, maximum); }
    void setValue(int value) const { set(key(), QString::number(value)); }
};

// A place in twips (15 to a pixel): a plain decimal that may carry a
// fraction; missing or not a number reads as the default.
struct TwipsKey : Key
{
    double defaultValue;

    double value() const { return valueOr(defaultValue); }
    double valueOr(double fallback) const { return getTwips(key(), fallback); }
    void setValue(int twips) const { set(key(), QString::number(twips)); }
};

// Where a window stands: its left and top.
struct PlaceKeys
{
    TwipsKey left;
    TwipsKey top;
};

} // namespace Settings
