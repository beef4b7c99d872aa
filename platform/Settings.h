#pragma once

#include <QString>

// The per-user settings store: text values under application "Velmar",
// section "Ruzvel" (~/.config/Velmar/Velmar.ini; tests point
// XDG_CONFIG_HOME at a temp folder).
namespace Settings {

QString get(const QString &key, const QString &defaultValue = QString());
void set(const QString &key, const QString &value);
bool contains(const QString &key);
void remove(const QString &key);

// Writes what is pending to disk; false when the store could not be written.
bool sync();

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
