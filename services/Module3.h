#pragma once

#include <QList>

// The module's state and rules; the routines that measure controls are in
// services/Module3Ui.h.
namespace Module3 {

// The last index of the stored protected-folder list, as last read or written.
inline int UltimaRutaNoBorrar = 0;

// The horizontal scroll width of a list from its items' measured widths: the
// first item's width, then each wider item's width + 10 (so at least the
// widest item and at most 10 pixels more; not the plain maximum). No items
// gives 10.
int scrollExtent(const QList<int> &widths);

} // namespace Module3
