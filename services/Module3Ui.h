#pragma once

#include "services/Module3.h"

#include <QString>
#include <QStringList>

class Progress;
class QListWidget;
class QWidget;

namespace Module3 {

// The width in pixels of a text in a control's font, plus 10: the sum of
// its characters' advances, without kerning, up to the next whole pixel
// (lines in scripts that join or stack their letters are measured shaped).
int MedirTexto(const QWidget *control, const QString &texto);

// Sets a list's horizontal scroll width from its items by the rule of
// scrollExtent(): the list scrolls sideways over that width. The extent is
// also stored in the list's "horizontalExtent" property, and returned.
// With `progress`, window events run as a long list is measured (the caller
// keeps the list as it is meanwhile).
int AjustarScrollHorizontal(QListWidget *list, Progress *progress = nullptr);
// The same over the list's lines as the caller holds them (a long list
// costs less than read back line by line).
int AjustarScrollHorizontal(QListWidget *list, const QStringList &lines, Progress *progress = nullptr);

// Keeps a one-line list (a path line) as high as its line plus, while the
// line is wider than the list, the sideways scroll bar under it: the bar
// never covers the text. The list gets no vertical bar.
void keepLineAboveScrollBar(QListWidget *list);

} // namespace Module3
