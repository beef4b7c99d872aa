#pragma once

#include "main/Activity.h"
#include "main/Peers.h"
#include "services/SingleWindow.h"

#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMimeData;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTimer;
class Progress;

namespace Deletion {
class FileOps;
}
namespace Asociados {
struct Linea;
}

// The associated-files window: the peak and cache files of a folder's audio
// (found by the audio types of the filter), listed under one header per
// folder with their totals; a click auditions the audio file a line belongs
// to, Insert hands them to the player, and the selected files are deleted to
// the trash or for good. Nothing is logged: the workstation writes these
// files again when it opens a project that uses the audio. Always in front.
class Form2 final : public QWidget
{
    Q_OBJECT

public:
    Form2();
    ~Form2() override;

    // The item data roles of a line: its role (Asociados::Linea::Role), by
    // which every rule of the window goes, never by the line's text; and for
    // a file line its file's exact record (FileRecord).
    static constexpr int kRoleRole = Qt::UserRole + 8;
    static constexpr int kRecordRole = Qt::UserRole + 7;

    // The settings key of the filter's type `index` (0 WAV ... 4 FLAC).
    static QString filterKey(int index);

    // Settings, tables and, when the main window lists a project, the scan
    // of the first project's folder. Run once, right after construction.
    void Form_Load();
    // The scan of the folder of the first listed project, timed by the main
    // window's clock.
    void HacerLista();
    // Scans each dropped local folder (or file) in turn; the last one stays.
    void ListAsociados_OLEDragDrop(const QMimeData *data);
    // Deletes the selected file lines as the options say.
    void cmdHecho_Click();
    void cmdOpciones_Click();
    void AudioFilter_Click();
    void CheckToolTip_Click();
    void HScroll2_Scroll();
    void Timer1_Timer();
    void Salir_Click();
    void ListAsociados_Click();
    void ListAsociados_DblClick(QListWidgetItem *item);
    // Ctrl+A (Control alone) selects every file line; Insert hands the
    // selected lines' audio files to the player.
    void ListAsociados_KeyDown(int key, Qt::KeyboardModifiers shift);
    void ListAsociados_MouseDown(Qt::MouseButton button);
    void ListAsociados_MouseUp();
    void ListAsociados_MouseMove(QPoint at);

    // The count of selected lines (and their size into the caption).
    int ContarSeleccion();
    void SeleccionarTodos();

    // A scan or a deletion of this window is running: the window cannot be
    // unloaded, and the main window starts no analysis and no reset.
    bool escaneando() const { return Activity::running(Activity::Kind::AssociatedScan); }
    bool borrando() const { return Activity::running(Activity::Kind::AssociatedDeletion); }
    bool ocupado() const { return Activity::arbiter().associatedBusy(); }

    // What the last deletion did.
    struct Outcome
    {
        int deleted = 0;
        int failed = 0; // not deleted: refused, read-only, changed, gone
        QStringList problems; // one line per file not deleted, with the reason
    };
    const Outcome &lastOutcome() const { return m_outcome; }

    // What the last scan passed over.
    int pasadosPorAlto() const { return m_pasadosPorAlto; }

    // The file operations the deletion goes through (not owned; null: the
    // real ones). Tests make them fail.
    void setFileOps(Deletion::FileOps *ops) { m_ops = ops; }

    QListWidget *ListAsociados = nullptr;
    QListWidget *ListFilter = nullptr;
    QListWidget *ListSound = nullptr;
    QGroupBox *FrameOpciones = nullptr;
    QCheckBox *CheckVaciarPapelera = nullptr;
    QCheckBox *CheckBorrarPapelera = nullptr;
    QCheckBox *CheckConfirmar = nullptr;
    QCheckBox *CheckToolTip = nullptr;
    QPushButton *cmdHecho = nullptr;
    QPushButton *cmdOpciones = nullptr;
    QPushButton *Salir = nullptr;
    QPlainTextEdit *TextAviso = nullptr;
    QPlainTextEdit *TextNota = nullptr;
    QPlainTextEdit *TextSound = nullptr;
    QPlainTextEdit *TextBorrados = nullptr;
    QLabel *LabelTotal = nullptr;
    QLabel *LabelTotFolder = nullptr;
    QLabel *LabelSelec = nullptr;
    QLabel *LabelIndice = nullptr;
    // Why a scan found less than it could, or which files a deletion left.
    QLabel *LabelEstado = nullptr;
    QLabel *ImageICO = nullptr;
    QLabel *Label1 = nullptr;
    QScrollBar *HScroll2 = nullptr;
    QProgressBar *XP_BarFolder = nullptr;
    QTimer *Timer1 = nullptr;
    QAction *AudioFilter = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class ScanProgress;
    class RunProgress;

    // What the selection's count and the selecting commands read of each
    // line, kept beside the list as it is filled and after each deletion:
    // a million lines are counted and selected by runs, without a look at
    // each item.
    struct Indice
    {
        std::vector<unsigned char> roles; // each row's Asociados::Linea::Role
        // bytesAbove[r]: the recorded sizes of the file lines above row r
        // summed (one entry more than rows).
        std::vector<qint64> bytesAbove{0};
        void clear();
        void reserve(size_t rows);
        void add(int role, qint64 size);
        bool covers(int rows) const { return roles.size() == size_t(rows); }
        // Rows [first, last]: their file lines' recorded sizes summed.
        qint64 bytes(int first, int last) const { return bytesAbove[size_t(last) + 1] - bytesAbove[size_t(first)]; }
    };
    // Empties the list (and what the window keeps beside it); a long list
    // in pieces, the window counting as scanning meanwhile.
    void vaciar();
    // The index of the list as it stands: the one kept, read again from the
    // items when the list changed without it (only while the window empties
    // the list or removes deleted lines).
    const Indice &indice();
    // A line's recorded size (a file line's; 0 for the others).
    static qint64 sizeOf(const QListWidgetItem *item);
    // The selected rows as runs, in order, none twice.
    std::vector<std::pair<int, int>> runsSeleccionados() const;
    // The count of selected lines; the recorded size of the selected file
    // lines into `bytes`.
    int seleccionados(qint64 &bytes) const;

    void CargarFiltro();
    void SalvarFiltro();
    // The totals of a scan's headers; the summed size into TotalMbAsociados.
    void TotalesCarpetas(std::vector<Asociados::Linea> &lines, Progress &progress);
    void ViewItem(QPoint at);
    int menuBarHeight() const;
    void leerOpciones();
    void SalvarOpciones();
    // Runs the scan of `root` into the list (with its totals); its lines.
    QStringList escanear(const QString &root);
    // The list's scroll width from its lines.
    void ajustarAncho(const QStringList &texts);
    // Why a scan or a deletion may not start now ("" when it may).
    QString motivoOcupado() const;
    void estado(const QString &text, bool problem);
    void mostrarBorrados();
    // The selection's count and size into LabelSelec (hidden for none).
    void mostrarSeleccion(int count, qint64 bytes);
    // After a deletion: the headers' totals, LabelTotal and the selection
    // count, from the lines left.
    void recontar(Progress &progress);

    bool SeleccionEnCurso = false;
    bool m_closing = false;
    bool m_totalConMb = false; // LabelTotal as a drop writes it (with the size)
    bool m_entregando = false; // Insert hands the selection to the player
    int m_pasadosPorAlto = 0;
    Indice m_indice;
    Outcome m_outcome;
    Deletion::FileOps *m_ops = nullptr;
};

// The one associated-files window, created (and loaded) on first use.
Form2 &form2();
inline bool form2Loaded() { return SingleWindow<Form2>::loaded(); }
// Unloads it (its settings saved); nothing while it scans or deletes.
void unloadForm2();

// The window as the main window reaches it.
Peers::AssociatedFilesWindow &form2Peer();
