#include "main/Analysis.h"

#include "platform/EventPump.h"
#include "tests/support/LibraryTest.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

// The steps in the order they come, each with what the value held then.
struct Recorder final : AnalysisSteps
{
    void projectAccepted(const Analysis &) override { seen << "accepted"; }
    void projectsListed(const Analysis &a) override { seen << "projects " + QString::number(a.projects.size()); }
    void usedListed(const Analysis &a) override { seen << "used " + QString::number(a.used.size()); }
    void unusedListed(const Analysis &a) override { seen << "unused " + QString::number(a.unused.size()); }
    void missingListed(const Analysis &a) override { seen << "missing " + QString::number(a.missingCount); }
    QStringList seen;
};

// Cancelled once the used list is known.
struct CancelAfterUsed final : Progress, AnalysisSteps
{
    void setRange(qint64, qint64) override {}
    void setValue(qint64) override {}
    bool cancelled() const override { return cancel; }
    void pump() override {}
    void usedListed(const Analysis &) override { cancel = true; }
    bool cancel = false;
};

class AnalysisValue : public LibraryTest
{
protected:
    std::shared_ptr<const Analysis> run(Analysis::Road road, const QStringList &paths, Progress &progress)
    {
        return analyse({road, paths, false}, progress, steps);
    }
    std::shared_ptr<const Analysis> run(Analysis::Road road, const QStringList &paths)
    {
        NoProgress none;
        return run(road, paths, none);
    }
    Recorder steps;
};

} // namespace

TEST_F(AnalysisValue, AFolderGivesOneNumberedValueFromTheProjectsToTheMissingFiles)
{
    put("P/Audio/a.wav", "a");
    put("P/Audio/b.wav", "b");
    ASSERT_TRUE(QDir().mkpath(host("P/Audio/folder.wav")));
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav"), win("P/Audio/gone.wav")}));

    const std::shared_ptr<const Analysis> a = run(Analysis::Road::Paths, {win("P")});
    ASSERT_EQ(a->projects.size(), 1u);
    EXPECT_EQ(a->projects[0].path, win("P/A.vip"));
    EXPECT_EQ(a->projects[0].item, "1 --> " + win("P/A.vip"));
    EXPECT_EQ(a->projects[0].header, "1 --> " + win("P/A.vip"));
    EXPECT_EQ(a->folder, win("P"));
    EXPECT_EQ(a->used, (QStringList{" ", "1 --> " + win("P/A.vip"), " ", win("P/Audio/a.wav"), win("P/Audio/gone.wav")}));
    // A folder named like a take is never offered; each file offered with
    // its exact file.
    ASSERT_EQ(a->unused.size(), 1u);
    EXPECT_EQ(a->unused[0].line, win("P/Audio/b.wav"));
    EXPECT_EQ(a->unused[0].record, Fixtures::recordOf(host("P/Audio/b.wav")));
    EXPECT_EQ(a->missingCount, 1);
    EXPECT_TRUE(a->missing.contains(win("P/Audio/gone.wav")));
    EXPECT_EQ(a->withheld, Analysis::Withheld::No);
    EXPECT_EQ(steps.seen, (QStringList{"projects 1", "used 5", "unused 1", "missing 1"}));

    const std::shared_ptr<const Analysis> again = run(Analysis::Road::Paths, {win("P")});
    EXPECT_NE(again->number, a->number);
    EXPECT_NE(emptyAnalysis()->number, again->number);
}

TEST_F(AnalysisValue, TheProjectRoadTakesTheChosenProjectAloneOrRefusesIt)
{
    put("P/Audio/a.wav", "a");
    put("P/Audio/b.wav", "b");
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav")}));
    put("P/B.vip", Fixtures::vipBytes({win("P/Audio/b.wav")}));
    put("P/Midi.vip", Fixtures::vipBytes({}));

    const std::shared_ptr<const Analysis> a = run(Analysis::Road::Project, {win("P/A.vip")});
    EXPECT_EQ(a->refusal, Analysis::Refusal::None);
    EXPECT_EQ(a->folder, win("P/"));
    EXPECT_EQ(a->projectItems(), QStringList{"1 --> " + win("P/A.vip")});
    EXPECT_TRUE(a->refusedProjects.contains(win("P/Midi.vip")));
    ASSERT_EQ(a->unused.size(), 1u);
    EXPECT_EQ(a->unused[0].line, win("P/Audio/b.wav"));
    // B.vip of the same folder was left out: the files only it uses are
    // offered, and the user is told.
    EXPECT_EQ(a->otherProjects, 1);
    EXPECT_TRUE(a->summary().contains(Unused::otherProjectsNotice(1)));
    EXPECT_EQ(steps.seen.first(), "accepted");

    steps.seen.clear();
    EXPECT_EQ(run(Analysis::Road::Project, {win("P/Midi.vip")})->refusal, Analysis::Refusal::NoAudio);
    EXPECT_EQ(run(Analysis::Road::Project, {win("P/None.vip")})->refusal, Analysis::Refusal::Unreadable);
    EXPECT_TRUE(steps.seen.isEmpty());
}

TEST_F(AnalysisValue, ACancelledAnalysisOffersNothing)
{
    put("P/Audio/a.wav", "a");
    put("P/Audio/b.wav", "b");
    const QString project = put("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav")}));
    NoProgress none;
    ASSERT_EQ(run(Analysis::Road::Project, {project}, none)->unused.size(), 1u);
    CancelAfterUsed cancelling;
    const std::shared_ptr<const Analysis> a = analyse({Analysis::Road::Project, {project}, false}, cancelling, cancelling);
    EXPECT_TRUE(a->unused.empty());
    EXPECT_EQ(a->withheld, Analysis::Withheld::Cancelled);
}
