#include "main/Activity.h"

#include <QtGlobal>

#include <utility>

namespace Activity {

namespace {

// The kinds the main window's run counts by, and lifts at its own end.
constexpr std::array kMainRun = {Kind::Analysis, Kind::Listings, Kind::Search};

Answer allow()
{
    return {};
}

Answer refuse(const QString &text = QString())
{
    return {false, text};
}

} // namespace

bool Arbiter::analysisRunning() const
{
    for (Kind k : kMainRun)
        if (running(k))
            return true;
    return false;
}

bool Arbiter::analysing() const
{
    return running(Kind::Decoding) || analysisRunning();
}

bool Arbiter::EstaBorrando() const
{
    return running(Kind::Deletion) || running(Kind::Restore);
}

bool Arbiter::associatedBusy() const
{
    return running(Kind::AssociatedScan) || running(Kind::AssociatedDeletion);
}

bool Arbiter::idle() const
{
    for (int n : m_count)
        if (n != 0)
            return false;
    return true;
}

// The first thing that stands in the way answers; where several would,
// the order below is the order the windows have always checked them in
// (a deletion before the associated-files window, whose text the main
// window shows only when nothing else stops it).
Answer Arbiter::mayStart(Request what) const
{
    switch (what) {
    case Request::Analysis:
        // It would empty the lists under a run, or unload the
        // associated-files window under its own running loop.
        if (EstaBorrando() || analysing())
            return refuse();
        if (associatedBusy())
            return refuse(Texts::kAssociatedBusy);
        return allow();
    case Request::ListCommand:
        if (EstaBorrando() || analysing())
            return refuse();
        return allow();
    case Request::Reset:
        if (EstaBorrando())
            return refuse();
        if (associatedBusy())
            return refuse(Texts::kAssociatedBusy);
        return allow();
    case Request::Audition:
        if (EstaBorrando() || running(Kind::Selection) || analysing())
            return refuse();
        return allow();
    case Request::ListClick:
        if (EstaBorrando() || running(Kind::Selection))
            return refuse();
        return allow();
    case Request::Search:
        // The walk lets events run: not inside a run of the main window,
        // which works on the lists, nor inside another search.
        if (analysisRunning())
            return refuse();
        return allow();
    case Request::Deletion:
    case Request::Restore:
        // Neither inside the other (a restore writes files back as a
        // deletion removes them), nor inside an analysis, a search or the
        // associated-files window's work: they read the folders meanwhile.
        if (EstaBorrando() || analysing() || associatedBusy())
            return refuse();
        return allow();
    case Request::ReadLog:
        if (running(Kind::Restore))
            return refuse();
        if (running(Kind::Deletion))
            return refuse(Texts::kDeleting);
        return allow();
    case Request::Associated:
        if (running(Kind::AssociatedScan))
            return refuse(Texts::kScanning);
        if (running(Kind::AssociatedDeletion))
            return refuse(Texts::kDeletingAssociated);
        if (analysing())
            return refuse(Texts::kAnalysing);
        if (running(Kind::Restore))
            return refuse(Texts::kRestoring);
        if (running(Kind::Deletion))
            return refuse(Texts::kDeleting);
        return allow();
    }
    return allow();
}

Arbiter &arbiter()
{
    static Arbiter one;
    return one;
}

Token::Token(Arbiter &arbiter, Kind kind) : m_arbiter(arbiter), m_kind(kind)
{
    ++m_arbiter.m_count[size_t(m_kind)];
}

Token::~Token()
{
    Q_ASSERT(m_arbiter.m_count[size_t(m_kind)] > 0);
    --m_arbiter.m_count[size_t(m_kind)];
}

Lift::Lift(Arbiter &arbiter) : m_arbiter(arbiter)
{
    static_assert(kMainRun.size() == std::tuple_size_v<decltype(m_lifted)>);
    for (size_t i = 0; i < m_lifted.size(); ++i)
        m_lifted[i] = std::exchange(m_arbiter.m_count[size_t(kMainRun[i])], 0);
}

Lift::~Lift()
{
    // What started and ended meanwhile has given its tokens back.
    for (size_t i = 0; i < m_lifted.size(); ++i)
        m_arbiter.m_count[size_t(kMainRun[i])] += m_lifted[i];
}

} // namespace Activity
