#pragma once

#include "services/Module3.h"

#include <QString>
#include <QStringList>

class QListWidget;
class QWidget;

namespace Module3 {

// The width in pixels of a text in a control's font, plus 10.
int MedirTexto(const QWidget *control, const QString &texto);

// Sets a list's horizontal scroll width from its items by the rule of
// scrollExtent(): the list scrolls sideways over that width. The extent is
// also stored in the list's "horizontalExtent" property, and returned.
int AjustarScrollHorizontal(QListWidget *list);
// The same over the list's lines as the caller holds them (a long list
// costs less than read back line by line).
int AjustarScrollHorizontal(QListWidget *list, const QStringList &lines);

// Keeps a one-line list (a path line) as high as its line plus, while the
// line is wider than the list, the sideways scroll bar under it: the bar
// never covers the text. The list gets no vertical bar.
void keepLineAboveScrollBar(QListWidget *list);

} // namespace Module3
