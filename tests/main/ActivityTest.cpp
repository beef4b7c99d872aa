#include "main/Activity.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <list>
#include <vector>

namespace {

using Activity::Arbiter;
using Activity::Kind;
using Activity::Request;
using Activity::Token;
namespace Texts = Activity::Texts;

// Allowed, refused with nothing shown, or refused with the text shown.
const QString kYes = QStringLiteral("+");
const QString kNo = QStringLiteral("-");

QString shown(const Activity::Answer &a)
{
    if (a)
        return a.refusal.isEmpty() ? kYes : QStringLiteral("allowed with a text: ") + a.refusal;
    return a.refusal.isEmpty() ? kNo : a.refusal;
}

constexpr Request kRequests[] = {Request::Analysis, Request::ListCommand, Request::Reset,    Request::Audition,
                                 Request::ListClick, Request::Search,     Request::Deletion, Request::Restore,
                                 Request::ReadLog,   Request::Associated};

struct Row
{
    const char *what;
    std::vector<Kind> runs;
    // One answer per request, in the order of kRequests, then EstaBorrando.
    QStringList answers;
    bool estaBorrando;
};

// What runs × what wants to start.
const Row kRows[] = {
    {"nothing", {}, {kYes, kYes, kYes, kYes, kYes, kYes, kYes, kYes, kYes, kYes}, false},
    {"an analysis", {Kind::Analysis}, {kNo, kNo, kYes, kNo, kYes, kNo, kNo, kNo, kYes, Texts::kAnalysing}, false},
    {"the listings", {Kind::Listings}, {kNo, kNo, kYes, kNo, kYes, kNo, kNo, kNo, kYes, Texts::kAnalysing}, false},
    {"a search", {Kind::Search}, {kNo, kNo, kYes, kNo, kYes, kNo, kNo, kNo, kYes, Texts::kAnalysing}, false},
    // A cancel cleared it, or it was set alone: the search may start.
    {"Decoding", {Kind::Decoding}, {kNo, kNo, kYes, kNo, kYes, kYes, kNo, kNo, kYes, Texts::kAnalysing}, false},
    {"a selection", {Kind::Selection}, {kYes, kYes, kYes, kNo, kNo, kYes, kYes, kYes, kYes, kYes}, false},
    {"a deletion",
     {Kind::Deletion},
     {kNo, kNo, kNo, kNo, kNo, kYes, kNo, kNo, Texts::kDeleting, Texts::kDeleting},
     true},
    {"a restore", {Kind::Restore}, {kNo, kNo, kNo, kNo, kNo, kYes, kNo, kNo, kNo, Texts::kRestoring}, true},
    {"an associated scan",
     {Kind::AssociatedScan},
     {Texts::kAssociatedBusy, kYes, Texts::kAssociatedBusy, kYes, kYes, kYes, kNo, kNo, kYes, Texts::kScanning},
     false},
    {"an associated deletion",
     {Kind::AssociatedDeletion},
     {Texts::kAssociatedBusy, kYes, Texts::kAssociatedBusy, kYes, kYes, kYes, kNo, kNo, kYes,
      Texts::kDeletingAssociated},
     false},
    // Where two stand in the way, the first the windows check answers.
    {"a deletion and an associated scan",
     {Kind::Deletion, Kind::AssociatedScan},
     {kNo, kNo, kNo, kNo, kNo, kYes, kNo, kNo, Texts::kDeleting, Texts::kScanning},
     true},
    {"an analysis and an associated deletion",
     {Kind::Analysis, Kind::AssociatedDeletion},
     {kNo, kNo, Texts::kAssociatedBusy, kNo, kYes, kNo, kNo, kNo, kYes, Texts::kDeletingAssociated},
     false},
    {"a restore and an analysis",
     {Kind::Restore, Kind::Analysis},
     {kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, kNo, Texts::kAnalysing},
     true},
    {"a restore and a deletion",
     {Kind::Restore, Kind::Deletion},
     {kNo, kNo, kNo, kNo, kNo, kYes, kNo, kNo, kNo, Texts::kRestoring},
     true},
};

TEST(Activity, EachRequestAsksWhatRuns)
{
    for (const Row &row : kRows) {
        Arbiter arbiter;
        std::list<Token> held;
        for (Kind k : row.runs)
            held.emplace_back(arbiter, k);
        ASSERT_EQ(row.answers.size(), qsizetype(std::size(kRequests))) << row.what;
        for (size_t i = 0; i < std::size(kRequests); ++i)
            EXPECT_EQ(shown(arbiter.mayStart(kRequests[i])), row.answers[qsizetype(i)])
                << row.what << ", request " << i;
        EXPECT_EQ(arbiter.EstaBorrando(), row.estaBorrando) << row.what;
        EXPECT_EQ(arbiter.idle(), row.runs.empty()) << row.what;
    }
}

TEST(Activity, TokensNestAndGoWithTheirRoutine)
{
    Arbiter arbiter;
    const auto routine = [&](bool early) {
        const Token running(arbiter, Kind::Analysis);
        if (early)
            return;
        const Token nested(arbiter, Kind::Analysis);
    };
    routine(true);
    routine(false);
    EXPECT_TRUE(arbiter.idle());
    {
        const Token outer(arbiter, Kind::Deletion);
        {
            // The count of the files holds one of its own: its end leaves
            // the run running.
            const Token count(arbiter, Kind::Deletion);
        }
        EXPECT_TRUE(arbiter.running(Kind::Deletion));
    }
    EXPECT_TRUE(arbiter.idle());
}

TEST(Activity, DecodingIsAFlagSetAndClearedByHand)
{
    Arbiter arbiter;
    {
        Activity::Switch decoding(Kind::Decoding, arbiter);
        decoding = true;
        decoding = true;
        EXPECT_TRUE(decoding);
        const Token running(arbiter, Kind::Analysis);
        // A cancel clears it while the routine is still on the stack.
        decoding = false;
        EXPECT_FALSE(decoding);
        EXPECT_TRUE(arbiter.analysisRunning());
        EXPECT_FALSE(arbiter.mayStart(Request::Analysis));
        decoding = true;
    }
    // Gone with its window.
    EXPECT_TRUE(arbiter.idle());
}

TEST(Activity, ARunLiftedForItsOwnEndCountsAgainAfterwards)
{
    Arbiter arbiter;
    const Token running(arbiter, Kind::Analysis);
    const Token deleting(arbiter, Kind::Deletion);
    {
        const Activity::Lift ownEnd(arbiter);
        EXPECT_FALSE(arbiter.analysisRunning());
        // Only the main window's run is lifted.
        EXPECT_TRUE(arbiter.EstaBorrando());
        const Token meanwhile(arbiter, Kind::Listings);
    }
    EXPECT_TRUE(arbiter.running(Kind::Analysis));
    EXPECT_FALSE(arbiter.running(Kind::Listings));
}

} // namespace
