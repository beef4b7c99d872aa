#pragma once

#include <QStringList>

class QApplication;

namespace App {

// Puts the windows together: registers the higher windows with the main
// window. Call once, after the QApplication exists.
void setup();

// Starts the main window as the program does: shows it and, when a path was
// given on the command line, offers to analyse it.
void start(const QStringList &arguments, bool show = true);

} // namespace App
