#pragma once

#include "main/Activity.h"
#include "platform/FileRecord.h"
#include "services/SingleWindow.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

struct Analysis;
class Progress;

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTimer;
namespace Peers { class DeletionWindow; }

// The deletion window: the unused files the main window offers, the options
// of the run, and the run itself (recycle bin or for good, optionally after
// a verified backup copy recorded in "Archivos_Borrados.log"). Always in
// front of the other windows.
class ParaBorrar final : public QWidget
{
    Q_OBJECT

public:
    ParaBorrar();
    ~ParaBorrar() override;

    // The run's state. `EstaBorrando`: this window's run (its count of the
    // files and its question included) is on, as the arbiter knows it; the
    // other windows ask Activity::EstaBorrando, which a restore holds too.
    QString ruta;
    bool CancelaOp = false;
    const Activity::View EstaBorrando{Activity::Kind::Deletion};

    // What the last run did.
    struct Outcome
    {
        int deleted = 0;
        int skipped = 0;
        int failed = 0;
        bool cancelled = false;
        bool started = false;
        QString stopped; // why the run stopped before its end (not a cancel)
        QStringList problems; // one line per skipped or failed item, with the reason
        int selected = 0;  // the files handed to the run
        int nameTaken = 0; // skipped: their name was taken in the backup folder
        QString trashNotEmptied; // why the trash was not emptied first ("" when it was, or not asked)
        // Each reason an item was kept for, once, with how many it kept:
        // "<reason> (<count>)", in the order they first came.
        QStringList reasons;
    };
    const Outcome &lastOutcome() const { return m_outcome; }

    void cmdHecho_Click();
    void BorrarSeleccionados();
    void Cancela_Click();
    void Salir_Click();
    void CheckAudio_Click();
    void ParaBorrarCheckToolTip_Click();
    void HScroll5_Scroll();
    void Label1_Click();
    void Timer1_Timer();

    // What the main window offers (see Peers::DeletionWindow): an
    // analysis, and the entries deletions removed from it.
    struct Offered
    {
        std::shared_ptr<const Analysis> analysis;
        std::vector<bool> gone;
    };
    // What it offers now (nothing without a main window).
    static Offered offered();
    // Takes `now` (after an analysis began or ended): `cmdHecho` is offered
    // only over a list with items. Nothing while a run is on. With
    // `progress`, events run as a long list is taken.
    void tomarLista(const Offered &now, Progress *progress = nullptr);
    // The analysis this window's list comes from (null before it took one).
    const std::shared_ptr<const Analysis> &analysis() const { return m_analysis; }
    // The file a line names (a line of the list now).
    const FileRecord &recordAt(int row) const;

    // The list's lines without their "  --> Borrado" marks.
    QStringList unmarkedLines() const;
    static QString mark();

    QListWidget *ListBorrar = nullptr;
    QCheckBox *CheckBackup = nullptr;
    QCheckBox *CheckConfirmar = nullptr;
    QCheckBox *CheckBorrarPapelera = nullptr;
    QCheckBox *CheckVaciarPapelera = nullptr;
    QCheckBox *CheckAudio = nullptr;
    QCheckBox *ParaBorrarCheckToolTip = nullptr;
    QPushButton *cmdHecho = nullptr;
    QPushButton *Cancela = nullptr;
    QPushButton *Salir = nullptr;
    QLabel *LabelErase = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *LabelEstado = nullptr;
    QTimer *Timer1 = nullptr;
    QScrollBar *HScroll5 = nullptr;
    QPlainTextEdit *TextSound = nullptr;
    QPlainTextEdit *AvisoSound = nullptr;
    QLabel *ImageInfoSound = nullptr;
    QLabel *ImageICO = nullptr;
    QProgressBar *XP_Bar = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QEvent *m_lastPress = nullptr;
    quint64 m_lastPressTime = 0;
    void Form_Load();
    void SalvarOpciones();
    void PonerToolTips(bool quitar);
    void deleteSelectedLines();
    // `at`: where the button went down (outside the list: the current item).
    void ListBorrar_MouseDown(Qt::MouseButton button, QPoint at = QPoint(-1, -1));
    // `at`: the mouse in the list's viewport.
    void ListBorrar_MouseMove(const QPoint &at);
    void setRunning(bool running);
    // Asks once before a run that deletes for good without a backup; true
    // when the run may go on.
    bool confirmarSinCopia();
    void showOutcome();
    // The hint over the list: its own text, and the main window's warning
    // that the folders hold projects the analysis left out.
    void mostrarAviso();
    // The count label: the lines not marked as deleted.
    void contarNoBorrados();
    // Whether this list is not the one offered now: another analysis, or a
    // list changed here since it was taken (lines removed or deleted).
    bool stale(const Offered &now) const;
    // Fills the list with the offered entries, each line with the file it
    // names (nothing selected), and sets the count label.
    void CopiarListBorrados(const Offered &now, Progress *progress);
    class RunProgress;

    QString CarpetaElegida; // the backup folder chosen last (kept between runs)
    int NumBorrados = 0;
    int m_noBorrados = 0; // lines not marked as deleted
    Outcome m_outcome;
    bool m_closing = false;
    std::shared_ptr<const Analysis> m_analysis;
    // The entry of the analysis each line names.
    std::vector<qsizetype> m_rowEntry;
    bool m_edited = false;
};

// The one deletion window, created on first use.
inline ParaBorrar &paraBorrar() { return SingleWindow<ParaBorrar>::get(); }
inline bool paraBorrarLoaded() { return SingleWindow<ParaBorrar>::loaded(); }
inline void unloadParaBorrar() { SingleWindow<ParaBorrar>::close(); }
// The deletion window as the windows below it in the build reach it.
Peers::DeletionWindow &paraBorrarPeer();
