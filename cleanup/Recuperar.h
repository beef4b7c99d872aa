#pragma once

#include "services/SingleWindow.h"

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
namespace Peers { class RestoreWindow; }

// The restore window: reads a deletion log and copies each backed-up file
// from the log's folder back to the folder it came from. Always in front.
// Only the audio file each well-formed line names is written, at that exact
// path and through no link (see Restore::one); a line left out is told
// with its reason when the log is read and counted as failed by the restore.
class Recuperar final : public QWidget
{
    Q_OBJECT

public:
    Recuperar();
    ~Recuperar() override;

    void Form_Load();
    void cmdOpen_Click();
    void cmdRecuperar_Click();
    void HScroll6_Scroll();

    // Reads a log (a Windows path) as cmdOpen does after its dialog.
    void leerLog(const QString &file);

    // What the last restore did. Lines of the log left out when it was read
    // (see DeletionLog::lineProblem) count as failed, with their reasons.
    struct Outcome
    {
        int copied = 0;
        int failed = 0;
        int declined = 0;
        QStringList problems;
    };
    const Outcome &lastOutcome() const { return m_outcome; }
    // What reading the last log left out, as the window told it.
    const QStringList &readProblems() const { return m_readProblems; }

    QPushButton *cmdOpen = nullptr;
    QListWidget *ListRecuperar = nullptr;
    QPushButton *cmdRecuperar = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *LabelCerrar = nullptr;
    QScrollBar *HScroll6 = nullptr;
    QLabel *Label2 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void RecuperarArchivos();
    void savePosition();
    void notValid();
    void closeLogFolder();

    int m_logFolderFd = -1; // the opened log's folder, where its backups lie
    QStringList m_refused;  // lines left out when the log was read, with the reason
    qint64 m_refusedCount = 0;
    QStringList m_readProblems;
    Outcome m_outcome;
    bool m_closing = false;
};

inline Recuperar &recuperar() { return SingleWindow<Recuperar>::get(); }
inline bool recuperarLoaded() { return SingleWindow<Recuperar>::loaded(); }
inline void unloadRecuperar() { SingleWindow<Recuperar>::close(); }
// The restore window as the windows below it in the build reach it.
Peers::RestoreWindow &recuperarPeer();
