#pragma once

#include <QString>

class Progress;
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
// With `progress`, window events run as a long list is measured (the caller
// keeps the list as it is meanwhile).
int AjustarScrollHorizontal(QListWidget *list, Progress *progress = nullptr);

// The rule alone, over measured widths.
int scrollExtent(const QList<int> &widths);

} // namespace Module3
