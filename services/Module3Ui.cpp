#include "services/Module3Ui.h"

#include "platform/EventPump.h"

#include <QFontMetrics>
#include <QListWidget>

#include <limits>
#include <vector>

namespace Module3 {

int MedirTexto(const QWidget *control, const QString &texto)
{
    return QFontMetrics(control->font()).horizontalAdvance(texto) + 10;
}

namespace {

// Shaping a long list's every line costs more than filling it. The sum of
// the characters' own advances comes within a few pixels of the shaped
// width (kerning is all it leaves out), so it tells which lines cannot
// change the extent; only the others are shaped.
class AdvanceTable
{
public:
    // Characters outside the basic plane (each half of the pair alone
    // measures as a narrow box where the font may draw a wide glyph, an
    // emoji), the scripts from Hebrew to Mongolian and Hangul jamo, which
    // join, reorder or stack their letters, and the selectors that turn a
    // symbol into an emoji.
    static bool needsShaping(char16_t u)
    {
        return (u >= 0x0590 && u < 0x1E00) || (u >= 0xD800 && u <= 0xDFFF) || (u >= 0xFE00 && u <= 0xFE0F);
    }

    explicit AdvanceTable(const QFont &font) : m_fm(font), m_advance(0x10000, -1.0f) {}

    // The estimate, or a width no line reaches when the line holds a
    // character whose shaped width a sum of advances does not bound. Such
    // lines are always shaped.
    int estimate(const QString &text)
    {
        qreal sum = 0;
        for (const QChar c : text) {
            if (needsShaping(c.unicode()))
                return std::numeric_limits<int>::max() / 2;
            float &a = m_advance[c.unicode()];
            if (a < 0)
                a = float(m_fm.horizontalAdvance(c));
            sum += a;
        }
        return int(sum);
    }

private:
    QFontMetricsF m_fm;
    std::vector<float> m_advance;
};

} // namespace

namespace {

template <typename TextAt>
int extentOf(const QFont &font, int count, const TextAt &textAt, Progress *progress = nullptr)
{
    const QFontMetrics fm(font);
    AdvanceTable table(font);
    int extent = 10;
    for (int i = 0; i < count; ++i) {
        if (progress && (i & 1023) == 1023)
            progress->pump();
        const QString &text = textAt(i);
        if (i > 0) {
            // The shaped width has not been found to exceed the estimate by
            // more than 2 pixels; the slack leaves room to spare.
            const int slack = 4 + int(text.size() / 32);
            if (table.estimate(text) + 10 + slack <= extent)
                continue;
        }
        const int w = fm.horizontalAdvance(text) + 10;
        if (i == 0)
            extent = w;
        else if (w > extent)
            extent = w + 10;
    }
    return extent;
}

} // namespace

int AjustarScrollHorizontal(QListWidget *list, Progress *progress)
{
    QString text;
    const int extent = extentOf(
        list->font(), list->count(),
        [&](int i) -> const QString & {
            text = list->item(i)->text();
            return text;
        },
        progress);
    list->setProperty("horizontalExtent", extent);
    return extent;
}

int AjustarScrollHorizontal(QListWidget *list, const QStringList &lines, Progress *progress)
{
    const int extent = extentOf(
        list->font(), int(lines.size()), [&](int i) -> const QString & { return lines[i]; }, progress);
    list->setProperty("horizontalExtent", extent);
    return extent;
}

} // namespace Module3
