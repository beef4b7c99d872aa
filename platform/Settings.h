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

} // namespace Settings
