#include "services/Module3.h"

namespace Module3 {

int scrollExtent(const QList<int> &widths)
{
    if (widths.isEmpty())
        return 10;
    int running = widths.first();
    for (int w : widths)
        if (w > running)
            running = w + 10;
    return running;
}

} // namespace Module3
