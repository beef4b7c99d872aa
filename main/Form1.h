#pragma once

#include "main/Activity.h"
#include "main/Analysis.h"
#include "main/Decoder.h"
#include "main/Peers.h"
#include "platform/FileRecord.h"
#include "services/CuadroMensaje.h"
#include "services/ModuleArchivos.h"
#include "services/SingleWindow.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSet>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class Progress;
namespace NoLinkWrite {
class Folder;
}
class Class1;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTimer;

// The main window: the four result lists of an analysis and the commands
// that run it. Long work runs here, on the GUI thread, letting window events
// run as it goes; `Decoding` and the tokens its routines hold (see
// Activity) keep a second analysis from starting inside a running one.
class Form1 final : public QMainWindow, public Peers::MainWindow
{
    Q_OBJECT

public:
    Form1();
    ~Form1() override;

    // What the tests, the headless tools and the main window's own small
    // windows read and drive; the rest stays inside the window.

    // Analysis state. `Decoding` is set and cleared by hand as an analysis
    // goes (a cancel clears it while the routine is still on the stack);
    // the arbiter knows it.
    Activity::Switch Decoding{Activity::Kind::Decoding};
    bool cancelar = false;
    QString DirVip;
    QString B_listProyectos;
    // The file being auditioned: the clicked path or the copy found for it.
    QString Buscado;
    // Starts the information text of Buscado for a lower-case extension.
    void InfoAudio(const QString &t) override;
    // Loads a file into the player window and plays it (nothing for "" or a
    // missing file).
    void PlayAudio(const QString &audio) override;
    // A click on an audio line auditions it.
    void ListVip_Click();
    void ListUtilizados_Click();
    void ListBorrar_Click();

    // The result lists apart from the audition. The number of the line of
    // `List` under `pos` (viewport pixels): " <lista> - Item: <n> " in
    // LabelIndice, or for the list "Player" " Item: <n> " in the player's
    // own label. Nothing over an empty list, below the last line or while an
    // analysis runs. The list takes the keyboard focus.
    void ViewItem(QListWidget *List, const QPoint &pos, const QString &lista) override;
    // Deselects the separator lines " " of `L` and counts the other selected
    // lines that are not project headers; two or more stop the player and
    // show "<n> seleccionados" in LabelSelec.
    void ContarSeleccionados(QListWidget *L);
    // Selects the file lines below the double-clicked line of the used-files
    // list up to the next project header.
    void ListUtilizados_DblClick();

    // What the last SalvaListados_Click (the listings) did.
    struct ListadosOutcome
    {
        bool ran = false;
        bool cancelled = false;
        int written = 0;
        QStringList failed; // "<file>: <reason>", or the folder that could not be made
    };
    const ListadosOutcome &lastListados() const { return m_listados; }

    // The list balloons.
    Class1 *TipGeneral = nullptr;
    Class1 *TipVip = nullptr;
    Class1 *TipUtilizados = nullptr;
    Class1 *TipBorrar = nullptr;
    Class1 *TipProyectos = nullptr;

    // Start-up: options, opacity, first-run notice, the command-line path
    // (the program's arguments) and the caption.
    void Form_Load(const QStringList &arguments);
    // Shut-down: stores the settings, then ends the process at once.
    void GuardarYSalir();
    // How the process ends (tests replace it to stay alive).
    static void setEndProcess(std::function<void()> end);
    void cmdPlayer_Click();

    // Commands.
    void AbrirFichero_Click();
    void cmdReset_Click();
    void cmdCancelar_Click();
    void Inicio();

    static QString getPath(const QString &sPath, const QString &Caracter);

    // The dropped-path road: a project file or a folder given by a drop or on
    // the command line (a Windows path).
    void AbrirRuta(const QString &ruta);
    // A drop on the project list: its local files and folders together; a
    // drop without files resets the window.
    void ListProyectos_OLEDragDrop(const QMimeData *data);
    // The analysis shown (never null; an emptied window shows an analysis
    // of nothing). Shared read-only: whoever holds it keeps it alive.
    const std::shared_ptr<const Analysis> &analysis() const { return m_analysis; }

    // The project list: a double click decodes a project into ListVip.
    void ListProyectos_DblClick();
    void ListProyectosInfo_Click();
    static QString infoPanelText();

    // Shows an analysis that found only these unused files, each line with
    // its file's record (the headless tool and the tests offer lists so).
    void setUnusedList(const QStringList &lines, const std::vector<FileRecord> &records);
    // Files a deletion removed leave the unused list.
    void quitarBorrados(quint64 number, const std::vector<qsizetype> &gone) override;

    // The deletion window and the folder lists.
    void CommandBorrado_Click();

    // The status box: colour code 1 to 4 (any other keeps the colour), text,
    // visible flag. The box grows to 250 twips per wrapped line.
    void Alerta(int color, const QString &texto, bool visible) override;
    void MostrarRuta(const QString &texto);

    // The elapsed-time clock of a long operation and the message routines.
    void Iniciar_Clock() override;
    // The clock box's background; an invalid colour gives the default.
    void colorLapso(const QColor &colour);
    void Lapso() override;
    // "mm:ss:00" for a time in seconds (whole seconds above 59 round halves
    // to even).
    static QString formatLapso(double seconds);
    void AvisoMsg(const QString &texto, const QString &mensaje) override;

    // True while an analysis routine of this window (its listings and its
    // search included) is on the stack, even after a cancel has cleared
    // `Decoding`: nothing may start a second one or empty the lists until
    // it has unwound.
    bool analysisRunning() const { return Activity::arbiter().analysisRunning(); }

    // Lines of a result list (tests and the headless tool read them).
    static QStringList lines(const QListWidget *list);
    static void setLines(QListWidget *list, const QStringList &lines);

    // Controls, named as the program names them.
    QListWidget *ListProyectos = nullptr;
    QListWidget *ListVip = nullptr;
    QListWidget *ListUtilizados = nullptr;
    QListWidget *ListBorrar = nullptr;
    QListWidget *ListPath = nullptr;
    QListWidget *ListProyectosInfo = nullptr;
    std::array<QLabel *, 2> LabelCheck{};
    std::array<QLabel *, 2> LabelCount{};
    std::array<QLabel *, 2> LabelAdd{};
    std::array<QLabel *, 2> LabelErase{};
    QLabel *LabelAviso = nullptr;
    QLabel *LabelIndice = nullptr;
    QLabel *LabelSelec = nullptr;
    QLabel *LabelTime = nullptr;
    QLineEdit *TextLapsoTotal = nullptr;
    QPlainTextEdit *TextDecode = nullptr;
    std::array<QLineEdit *, 4> TextNum1{};
    QLabel *ShowIco = nullptr;
    QLabel *ImageICO = nullptr;
    QLabel *ImageIcon = nullptr;
    QLabel *ImageSound = nullptr;
    QLabel *Shape1 = nullptr;
    QPushButton *AbrirFichero = nullptr;
    QPushButton *cmdCancelar = nullptr;
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdPerdidos = nullptr;
    QPushButton *CommandBorrado = nullptr;
    QPushButton *cmdAsociados = nullptr;
    QAction *SalvaListados = nullptr;
    QAction *CarpetasNoBorrar = nullptr;
    QAction *RecuperaBorrados = nullptr;
    QAction *About = nullptr;
    QCheckBox *CheckToolTips = nullptr;
    QCheckBox *CheckPlayer = nullptr;
    QCheckBox *CheckBAK = nullptr;
    QCheckBox *CheckDragDrop = nullptr;
    QCheckBox *CheckLogo = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdPlayer = nullptr;
    QPushButton *Salir = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // The rest of what the windows above reach through Peers::MainWindow.
    bool decoding() const override { return bool(Decoding); }
    void hideClock() override;
    QString tiempo() const override { return Tiempo; }
    void setBuscado(const QString &file) override { Buscado = file; }
    // The general balloon on `List` for `cline` (a found copy), with the
    // misplaced-file note.
    void ShowToolTip(QListWidget *List, const QString &cline, const QString &archivo) override;
    int projectCount() const override;
    QString projectLine(int row) const override;
    void hideListPath() override;
    void showInListPath(const QStringList &lines) override;
    bool windowShown() const override { return isVisible(); }
    void minimize() override { showMinimized(); }
    void showNormally() override { showNormal(); }
    std::shared_ptr<const Analysis> analysisShown() const override { return m_analysis; }
    std::vector<bool> unusedGone() const override { return m_unusedGone; }

    // Analysis state.
    bool Actualizar = false;
    QString Path;
    QString PathVip;
    QString DragVip;
    QString ZoomPath;
    // The decoder's shared state (start and end of the last path area, the
    // paths counted in list mode).
    Decoder::State dec;
    int m_Item = -1;
    double cl = 0; // seconds taken by the last Lapso
    QString Tiempo; // and as "mm:ss:00"
    // The controls only the window itself touches.
    QProgressBar *XP_ProgressBar1 = nullptr;
    QAction *CarpetasBuscar = nullptr;
    QTimer *Timer1 = nullptr;

    // Places the player window where it was stored and shows or hides it (a
    // shown player is not moved).
    void SituarPlayer(bool visible);
    // The information text of a list's current line into its balloon.
    void ToolTipShow(const QString &cual, QListWidget *v_List, const QString &archivo);
    // True when two or more lines are selected.
    static bool HaySeleccion(const QListWidget *List);
    static void QuitarSeleccion(QListWidget *L);
    // The mouse over a result list or the project list: the line under it,
    // the window to the front, the list framed by Shape1.
    void resultListMouseMove(QListWidget *list, const QPoint &pos);
    void ListProyectos_MouseMove(const QPoint &pos);

    // The listings: one file per listed project, "Archivos Totales.log" and
    // "Archivos a Borrar.log" in "Listados" under the project folder.
    // Nothing while an analysis or a deletion runs; it holds `Decoding` for
    // its length and stops at a cancel.
    void SalvaListados_Click();
    // Writes `List` as a listing to `file` (a Windows path); "" writes
    // nothing. False with the reason in *error when the file could not be
    // written whole.
    bool SalvarListados(const QString &file, QListWidget *List, const QString &tituloA = QString(),
                        const QString &tituloB = QString(), QString *error = nullptr);

    // Shows the About window when hidden, hides it when shown.
    void About_Click();

    void SalvarToolTips();
    void CheckToolTips_Click();
    void CheckDragDrop_Click();
    void CheckLogo_Click();
    void CheckPlayer_Click();
    void HScroll1_Scroll();
    // The command-line text as one path: quotes removed, a host path turned
    // into a Windows path.
    static QString commandLinePath(const QStringList &arguments);

    // The decoder, over this window's progress bar and cancel flag.
    bool ExtraerNombres_Archivos(const QString &f, QStringList *list, const QString &titulo, bool test);
    QString LeerCabecera(const QString &f);

    // Several paths of the dropped-path road analysed together: every
    // project they hold is listed and counts as a user of its takes; the
    // folder shown is that of the last path holding a project. A path
    // containing "_BAK" (with the box unticked) is left out after one notice.
    void AbrirRutas(const QStringList &rutas);

    // The project list: a click shows the project; decoding one into ListVip.
    void ListProyectos_Click();
    void ListProyectos_Decode(int Index);

    void cmdPerdidos_Click();
    // Shows the associated-files window, not modal, at any time.
    void cmdAsociados_Click();
    // Whether `what` may start now (see Activity::Arbiter); a refusal with
    // a text says it in the status box (the associated-files window scans
    // or deletes: a reset or a new analysis would unload it under its own
    // running loop).
    bool mayStart(Activity::Request what);
    void CarpetasBuscar_Click();
    void CarpetasNoBorrar_Click();

    void Timer1_Timer();
    // The look of every message of this window.
    CuadroMensaje::Look mainLook() const;

    class BarProgress;
    friend class BarProgress;
    class Steps;
    friend class Steps;

    // The progress bar, cancel flag and pump as a long loop sees them.
    Progress &barProgress();
    void buildControls();
    void buildLists(QWidget *central);
    void buildStatus(QWidget *central);
    void buildCommands(QWidget *central);
    void buildMenus();
    void layOut(QWidget *central);
    // Where the commands stand in the window.
    QRect commandsArea();
    void connectProjectList();
    void connectShell();
    void connectAudition();
    void createTips();
    void destroyListTips();
    bool auditionBusy() const;
    void auditionLine(QListWidget *list, const QString &cual);
    void copyToPlayer(QListWidget *list, const QString &tipo);
    bool resultListEvent(QListWidget *list, QObject *watched, QEvent *event);
    void connectLists();
    void frameList(QListWidget *list);
    // The window's background, TextNum1 and the logo: the mouse over them
    // brings the window to the front.
    QList<QWidget *> frontOnMouse() const;
    // The list Shape1 frames, followed wherever the layout moves it.
    QListWidget *m_framed = nullptr;
    void toFront();
    ListadosOutcome m_listados;
    // One listing written through the held listings folder.
    bool writeListing(const NoLinkWrite::Folder &folder, const QString &name, QListWidget *List,
                      const QString &tituloA, const QString &tituloB, QString *error);
    Qt::MouseButton m_lastButton = Qt::LeftButton;
    void PonerToolTips();
    void CarpetaCommandLine(const QString &path);
    // The player window to its stored place.
    void placePlayer();
    std::array<QString, 4> ToolTips;
    // Fills a result list with `lines` a few thousand at a time, letting
    // events run in between; then, with `fit`, fits its scroll extent. Only a
    // running analysis calls it: its guards keep the list to it meanwhile.
    void fillList(QListWidget *list, const QStringList &lines, bool fit);
    // Empties a list a few thousand lines at a time, letting events run in
    // between (same guards).
    void emptyList(QListWidget *list);
    // Decodes one project into ListVip with its captions; true when it names
    // audio files.
    bool decodeIntoListVip(const QString &path, const QString &shownName);
    // The analysis of `request` over this window's progress, shown step by
    // step, then shown whole.
    std::shared_ptr<const Analysis> analizar(Analysis::Road road, const QStringList &paths);
    // The steps of an analysis as the window shows them.
    void mostrarProyectoElegido(const Analysis &a);
    void mostrarProyectosElegidos(const Analysis &a);
    void BuscarProyectosCarpeta(const Analysis &a);
    void LlenarListUtilizados(const Analysis &a);
    void LlenarListBorrar(const Analysis &a);
    void BuscarPerdidos(const Analysis &a);
    // The status box after a road's analysis.
    void avisoFinal(const Analysis &a);
    // Shows `a` as the window's analysis and offers its unused files to the
    // deletion window; the one shown before is let go of.
    void mostrarAnalisis(std::shared_ptr<const Analysis> a);
    // The unused list from the analysis shown (less what deletions removed).
    void fillUnusedList();
    void LimpiarListas();
    // Empties the four result lists and hides their captions and the
    // commands that work on them; unloads the player and associated-files
    // windows.
    void emptyResults();
    // "Encontrados N proyectos en:" over the project list, the folder below.
    void captionProjectList();
    // The reset at the end of a run (the run's own guard is lifted for it).
    void resetAfterRun();

    std::shared_ptr<const Analysis> m_analysis;
    // The entries of the analysis shown that deletions removed, and the
    // entry of each line of ListBorrar.
    std::vector<bool> m_unusedGone;
    std::vector<qsizetype> m_unusedRows;
    QElapsedTimer m_clock;
    std::unique_ptr<BarProgress> m_progress;
};

// The one main window, created on first use.
inline Form1 &form1() { return SingleWindow<Form1>::get(); }
inline bool form1Loaded() { return SingleWindow<Form1>::loaded(); }
inline void unloadForm1() { delete SingleWindow<Form1>::find(); }
