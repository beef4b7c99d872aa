#pragma once

#include <QString>

#include <array>
#include <optional>

// What runs, and whether a command may start now. Long work runs on the GUI
// thread and lets window events run as it goes, so a click can arrive in the
// middle of an analysis, a deletion or a scan; every window asks the one
// arbiter below before it starts anything, and every running routine holds a
// token of what it is for as long as it is on the stack.
namespace Activity {

// What may be running. Each is counted: a routine holds a token while it
// runs, nested routines hold one each.
enum class Kind {
    // A routine of the main window's analysis on the stack (a road, the
    // decoding of one project, the emptying of its lists), even after a
    // cancel cleared `Decoding`.
    Analysis,
    // The listings: every project decoded again and written.
    Listings,
    // The search of the search folders for a copy of a missing file.
    Search,
    // `Form1.Decoding`, which the main window sets and clears by hand as
    // its analysis goes (a cancel clears it while the routine is still on
    // the stack): held by its Switch.
    Decoding,
    // The main window's own code changing a list's selection (the count of
    // the selected lines, the double click): the click handlers then do
    // nothing. It never stands for another run.
    Selection,
    // A deletion run of the deletion window, its count of the files and its
    // question included.
    Deletion,
    // A deletion log being read or restored.
    Restore,
    // The associated-files window's scan (and the measuring of its list).
    AssociatedScan,
    // The associated-files window's deletion.
    AssociatedDeletion,
};
inline constexpr int kKinds = int(Kind::AssociatedDeletion) + 1;

// What wants to start.
enum class Request {
    // A new analysis of the main window: a project, a folder, a drop, the
    // command line. It empties the lists and unloads the associated-files
    // window.
    Analysis,
    // A main window command that reads or refills its lists but leaves the
    // associated-files window alone: a drop taken, a double click on the
    // project or used-files list, the player button, the listings.
    ListCommand,
    // The main window's reset. (Inside a running analysis it cancels the
    // analysis instead: the window asks Arbiter::analysisRunning for that.)
    Reset,
    // A click that auditions a line of the main window's lists.
    Audition,
    // What a click on a line of the used-files list does before its
    // audition (a blank line is deselected, even during an analysis).
    ListClick,
    // The search for a copy of a missing file.
    Search,
    // A deletion run of the deletion window.
    Deletion,
    // A restore of the files of a deletion log.
    Restore,
    // Reading a deletion log (the restore window's open command).
    ReadLog,
    // A scan or a deletion of the associated-files window.
    Associated,
};

// The answer to "may this start now?". A refusal carries the text the
// asking window shows; "" where it shows nothing.
struct Answer
{
    bool allowed = true;
    QString refusal;
    explicit operator bool() const { return allowed; }
};

// The refusal texts, as the windows show them.
namespace Texts {
// The main window's status box, while the associated-files window works.
inline const QString kAssociatedBusy = QStringLiteral(
    " >>> AVISO <<<   Espere a que termine la búsqueda o el borrado de archivos asociados.");
// The associated-files window's status line; the last one is the restore
// window's label too.
inline const QString kScanning = QStringLiteral("Espere a que termine la búsqueda de archivos asociados.");
inline const QString kDeletingAssociated = QStringLiteral("Espere a que termine el borrado de archivos asociados.");
inline const QString kAnalysing = QStringLiteral("Espere a que termine el análisis de proyectos.");
inline const QString kRestoring = QStringLiteral("Espere a que termine la recuperación de archivos.");
inline const QString kDeleting = QStringLiteral("Espere a que termine el borrado de archivos no utilizados.");
} // namespace Texts

class Arbiter
{
public:
    Answer mayStart(Request what) const;

    bool running(Kind kind) const { return m_count[size_t(kind)] > 0; }
    // An analysis, the listings or a search of the main window is on the
    // stack: nothing may start a second one or empty the lists until it
    // has unwound.
    bool analysisRunning() const;
    // That, or `Decoding`.
    bool analysing() const;
    // `ParaBorrar.EstaBorrando` as the other windows read it: a deletion
    // run, or a restore, which writes files back as a deletion removes
    // them. While it is, the main window's commands and list clicks do
    // nothing.
    bool EstaBorrando() const;
    // A scan or a deletion of the associated-files window.
    bool associatedBusy() const;
    // Nothing runs.
    bool idle() const;

private:
    friend class Token;
    friend class Lift;
    std::array<int, kKinds> m_count{};
};

// The arbiter every window asks.
Arbiter &arbiter();
inline Answer mayStart(Request what) { return arbiter().mayStart(what); }
inline bool running(Kind kind) { return arbiter().running(kind); }
inline bool EstaBorrando() { return arbiter().EstaBorrando(); }

// Held by a routine for as long as it runs (on the stack, or in a
// std::optional released where the routine's run ends).
class Token
{
public:
    explicit Token(Kind kind) : Token(arbiter(), kind) {}
    Token(Arbiter &arbiter, Kind kind);
    ~Token();
    Token(const Token &) = delete;
    Token &operator=(const Token &) = delete;

private:
    Arbiter &m_arbiter;
    Kind m_kind;
};

// The end of the main window's own run: while it resets the window, its
// analysis, listings and search count as not running (the reset would
// cancel them instead), and they count again afterwards.
class Lift
{
public:
    explicit Lift(Arbiter &arbiter = Activity::arbiter());
    ~Lift();
    Lift(const Lift &) = delete;
    Lift &operator=(const Lift &) = delete;

private:
    Arbiter &m_arbiter;
    std::array<int, 3> m_lifted{};
};

// A name the windows read a kind by (`ParaBorrar.EstaBorrando`): true while
// anything holds a token of it.
class View
{
public:
    explicit View(Kind kind, Arbiter &arbiter = Activity::arbiter()) : m_arbiter(arbiter), m_kind(kind) {}
    operator bool() const { return m_arbiter.running(m_kind); }

protected:
    Arbiter &m_arbiter;
    Kind m_kind;
};

// A flag set and cleared by hand (`Form1.Decoding`): while it is set it
// holds one token of its kind, however often it is set.
class Switch final : public View
{
public:
    using View::View;
    Switch(const Switch &) = delete;
    Switch &operator=(const Switch &) = delete;
    Switch &operator=(bool on)
    {
        if (!on)
            m_token.reset();
        else if (!m_token)
            m_token.emplace(m_arbiter, m_kind);
        return *this;
    }

private:
    std::optional<Token> m_token;
};

} // namespace Activity
