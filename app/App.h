#pragma once

#include <QStringList>

namespace App {

// Puts the windows together: installs the windows above the main window
// (main/Peers.h), sends the file operations' questions to the message
// dialog, keeps every question in front of every window, and has Qt's own
// dialogs speak Spanish. Call once, after the
// QApplication exists and before any window.
void setup();

// Starts the main window as the program does: shows it and, when a path was
// given on the command line, offers to analyse it.
void start(const QStringList &arguments, bool show = true);

} // namespace App
