#include "services/Module3Ui.h"

#include "platform/EventPump.h"

#include <QFontMetrics>
#include <QHash>
#include <QListWidget>
#include <QScrollBar>

#include <array>
#include <cmath>

namespace Module3 {

namespace {

// A text's width as the platform's text-extent measure gives it: the sum of
// its characters' advances, without kerning (that measure has none), taken
// up to the next whole pixel so that no line drawn is cut (kerning mostly
// draws a line narrower). Measuring a long list costs a table look per
// character, where shaping each line would cost more than filling the list.
class TextMeasure
{
public:
    explicit TextMeasure(const QFont &font) : m_fm(font), m_fmf(font) { m_latin.fill(-1.0f); }

    int width(const QString &text)
    {
        qreal sum = 0;
        for (const QChar c : text) {
            // Such a line is measured as it is drawn.
            if (needsShaping(c.unicode()))
                return m_fm.horizontalAdvance(text);
            sum += advance(c);
        }
        return int(std::ceil(sum));
    }

private:
    // Characters outside the basic plane (each half of the pair alone
    // measures as a narrow box where the font may draw a wide glyph, an
    // emoji), the scripts from Hebrew to Mongolian and Hangul jamo, which
    // join, reorder or stack their letters, and the selectors that turn a
    // symbol into an emoji: no sum of advances measures them.
    static bool needsShaping(char16_t u)
    {
        return (u >= 0x0590 && u < 0x1E00) || (u >= 0xD800 && u <= 0xDFFF) || (u >= 0xFE00 && u <= 0xFE0F);
    }

    // A character's advance (a mark drawn over the letter before it has
    // none). Most lines are written in the first 256 characters: a small
    // table for them, made at once (a list of a few lines is measured too).
    float advance(QChar c)
    {
        const char16_t u = c.unicode();
        if (u < m_latin.size()) {
            float &a = m_latin[u];
            if (a < 0)
                a = float(m_fmf.horizontalAdvance(c));
            return a;
        }
        auto it = m_other.constFind(u);
        if (it == m_other.constEnd())
            it = m_other.insert(u, float(m_fmf.horizontalAdvance(c)));
        return *it;
    }

    QFontMetrics m_fm;
    QFontMetricsF m_fmf;
    std::array<float, 256> m_latin;
    QHash<char16_t, float> m_other;
};

} // namespace

int MedirTexto(const QWidget *control, const QString &texto)
{
    return TextMeasure(control->font()).width(texto) + 10;
}

namespace {

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

template <typename TextAt>
int extentOf(const QFont &font, int count, const TextAt &textAt, Progress *progress = nullptr)
{
    TextMeasure measure(font);
    int extent = 10;
    for (int i = 0; i < count; ++i) {
        if (progress && (i & 255) == 255)
            progress->pump();
        const int w = measure.width(textAt(i)) + 10;
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
