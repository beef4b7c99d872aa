#pragma once

#include "main/Unused.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Progress;

// What one analysis found, from the projects to the unused and missing
// files: built once by analyse(), numbered, then shared read-only (the main
// window shows it, the deletion window is handed it and tells a stale copy by
// its number).
struct Analysis
{
    // Every analysis (and every emptied window) has a number of its own.
    quint64 number = 0;

    // The road that asked for it.
    enum class Road {
        Project, // one project chosen by dialog: it alone, of the projects of its folder
        Paths,   // projects and folders dropped or given on the command line
    };
    Road road = Road::Paths;

    // A project road whose project was refused: nothing else was done.
    enum class Refusal { None, Unreadable, NoAudio };
    Refusal refusal = Refusal::None;
    // The project chosen on the project road (NULs removed) and its path as
    // the project list names it.
    QString chosen;
    QString chosenName;

    // A road of paths that found no project (or was cancelled meanwhile):
    // nothing else was done.
    bool noProjects = false;

    // The folder shown with the lists (ends in "\" on the project road).
    QString folder;
    // The listed projects, in list order.
    struct Project
    {
        QString path;
        QString item;   // its line in the project list
        QString header; // its header line in the used-files list
    };
    std::vector<Project> projects;
    QStringList projectItems() const;

    // The used-files list as shown: each project's header set off by blank
    // lines, then its audio paths.
    QStringList used;
    int usedAppended = 0;      // paths decoded, duplicates included
    int projectsWithAudio = 0; // projects that named an audio path
    int usedDuplicates = 0;

    // The unused files offered for deletion, each with its exact file.
    std::vector<Unused::UnusedEntry> unused;
    // The unused search ran (the used list was not empty).
    bool unusedSearched = false;
    int unusedFound = 0; // before duplicates were removed
    int unusedDuplicates = 0;
    // Why nothing is offered although files were found.
    enum class Withheld { No, Cancelled, Unreadable };
    Withheld withheld = Withheld::No;

    // The missing-files list and how many used files are missing.
    QStringList missing;
    int missingCount = 0;

    // What the status box tells at the end.
    QStringList unreadableProjects; // exist but could not be read
    QSet<QString> refusedProjects;  // looked at and found unusable
    int passedOverAudio = 0;        // audio files no Windows path can name
    int answeringTogether = 0;      // files kept as answering together to one used name
    int otherProjects = 0;          // projects of the inventoried folders left out
    QStringList damagedProjects;    // projects that lost their end marker
    QStringList damagedPaths;       // the audio paths their bytes still hold
    QStringList fullNames;          // what the listed projects spell in full after their paths

    // The status box's warnings about the above ("" when there is nothing to say).
    QString summary() const;
};

// An analysis of nothing, under a new number: what an emptied window shows.
std::shared_ptr<const Analysis> emptyAnalysis();

// What the window shows as an analysis goes: each call comes when the step
// named is done, with the value as built so far (only valid during the call).
// Window events run between the steps and inside them, through the
// Progress; whoever runs an analysis keeps every other command out meanwhile.
class AnalysisSteps
{
public:
    virtual ~AnalysisSteps() = default;
    // The status box: its colour code (1 to 4) and a text.
    virtual void status(int colour, const QString &text);
    // A folder's search for projects starts or ends.
    virtual void searching(bool started);
    // The project road: the chosen project is usable.
    virtual void projectAccepted(const Analysis &a);
    // The project list is known (the used files are decoded next).
    virtual void projectsListed(const Analysis &a);
    virtual void usedListed(const Analysis &a);
    virtual void unusedListed(const Analysis &a);
    virtual void missingListed(const Analysis &a);
};

struct AnalysisRequest
{
    Analysis::Road road = Analysis::Road::Paths;
    // The project road: the chosen project; a road of paths: the project
    // files and folders to analyse together (Windows paths).
    QStringList paths;
    // Projects whose path holds "_BAK" are analysed too.
    bool includeBak = false;
};

// The analysis of `request`: the projects found and listed, their used
// files decoded into the used list, their folders inventoried and matched
// against it, the unused files recorded, the projects left out counted and
// the missing files listed. A cancel seen through `progress` ends each step
// as the window's steps always ended it (and nothing is then offered for
// deletion).
std::shared_ptr<const Analysis> analyse(const AnalysisRequest &request, Progress &progress,
                                        AnalysisSteps &steps);

// The project search of a folder alone (as analyse() searches a folder
// given): every usable project under `folder`, at any depth, in pre-order.
QStringList searchProjects(const QString &folder, Progress &progress);

// Lets go of `analysis`, its long lists a piece at a time with events run
// between when nothing else holds it.
void releaseAnalysis(std::shared_ptr<const Analysis> &analysis, Progress &progress);
