#pragma once

#include <QString>
#include <QStringList>

class QListWidget;
class QWidget;

namespace Module3 {

// The last index of the stored protected-folder list, as last read or written.
inline int UltimaRutaNoBorrar = 0;

// The width in pixels of a text in a control's font, plus 10.
int MedirTexto(const QWidget *control, const QString &texto);

// Sets a list's horizontal scroll width from its items: the first item's
// width, then each wider item's width + 10 (so at least the widest item and
// at most 10 pixels more; not the plain maximum). An empty list gets 10.
// The extent is stored in the list's "horizontalExtent" property and
// returned.
int AjustarScrollHorizontal(QListWidget *list);
// The same over the list's lines as the caller holds them (a long list
// costs less than read back line by line).
int AjustarScrollHorizontal(QListWidget *list, const QStringList &lines);

// The rule alone, over measured widths.
int scrollExtent(const QList<int> &widths);

} // namespace Module3
