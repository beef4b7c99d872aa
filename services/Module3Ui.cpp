#include "services/Module3Ui.h"

#include "platform/EventPump.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>

#include <algorithm>
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

// The list scrolls sideways over `extent` pixels: its last line carries
// that width as its size. A list of uniform sizes gives every line the last
// line's size; any other list is as wide as its widest line, and no line is
// wider than the extent by more than its margins.
void applyExtent(QListWidget *list, int extent)
{
    // The line that carried the width before gives it up (if still there).
    const int carrier = list->property("extentRow").isValid() ? list->property("extentRow").toInt() : -1;
    const int last = list->count() - 1;
    if (carrier >= 0 && carrier < last)
        list->item(carrier)->setData(Qt::SizeHintRole, QVariant());
    list->setProperty("extentRow", last);
    if (last < 0)
        return;
    QListWidgetItem *item = list->item(last);
    if (item->data(Qt::SizeHintRole).toSize().width() == extent)
        return; // already so: no new layout (the path line measures on every mouse move)
    item->setData(Qt::SizeHintRole, QVariant());
    item->setSizeHint(QSize(extent, list->sizeHintForRow(last)));
}

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
    applyExtent(list, extent);
    return extent;
}

int AjustarScrollHorizontal(QListWidget *list, const QStringList &lines, Progress *progress)
{
    const int extent = extentOf(
        list->font(), int(lines.size()), [&](int i) -> const QString & { return lines[i]; }, progress);
    list->setProperty("horizontalExtent", extent);
    applyExtent(list, extent);
    return extent;
}

void keepLineAboveScrollBar(QListWidget *list)
{
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QScrollBar *bar = list->horizontalScrollBar();
    const auto fit = [list, bar] {
        const int line = std::max(list->fontMetrics().height() + 6, list->count() > 0 ? list->sizeHintForRow(0) : 0);
        const bool barShown = bar->maximum() > bar->minimum();
        // A change of height leaves the width, and so the bar, as it is.
        list->setFixedHeight(line + 2 * list->frameWidth() + (barShown ? bar->sizeHint().height() : 0));
    };
    QObject::connect(bar, &QScrollBar::rangeChanged, list, fit);
    fit();
}

} // namespace Module3
