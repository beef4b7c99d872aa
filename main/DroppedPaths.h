#pragma once

#include <QStringList>

class QMimeData;

// The local files and folders of a drop from a file manager (its
// "text/uri-list"), as Windows paths through the drive map, in the drop's
// order. Links to other machines, or to anything but a local file, are left
// out; `others`, when given, receives how many were.
QStringList droppedPaths(const QMimeData *data, int *others = nullptr);
