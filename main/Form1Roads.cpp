#include "main/Form1.h"

#include "main/BuscarVips.h"
#include "main/DroppedPaths.h"
#include "main/Peers.h"
#include "main/ProjectItem.h"
#include "main/Unused.h"
#include "platform/DriveMap.h"
#include "platform/WinFs.h"
#include "services/BuscarPaths.h"
#include "services/Class1.h"
#include "services/Module3Ui.h"
#include "services/WinColor.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

void Form1::ListProyectos_OLEDragDrop(const QMimeData *data)
{
    // A drop while an analysis runs would start a second one over the lists
    // the first is still filling; the user can cancel first.
    if (!Activity::mayStart(Activity::Request::ListCommand))
        return;
    const QStringList paths = droppedPaths(data);
    if (paths.isEmpty()) {
        cmdReset_Click();
        return;
    }
    // Everything dropped together is analysed together: a project dropped
    // beside another uses its takes as much as the other does.
    AbrirRutas(paths);
}

void Form1::AbrirRuta(const QString &ruta)
{
    AbrirRutas(QStringList{ruta});
}

void Form1::AbrirRutas(const QStringList &rutas)
{
    if (!mayStart(Activity::Request::Analysis))
        return;
    QStringList paths;
    bool backups = false;
    for (const QString &ruta : rutas) {
        if (!CheckBAK->isChecked() && ruta.contains(QStringLiteral("_BAK")))
            backups = true;
        else
            paths << ruta;
    }
    if (backups) {
        AvisoMsg(QStringLiteral("Este es un proyecto BAK y no se procesará"), QStringLiteral("Proyectos Vip's"));
        // The notice let events run: a drop or a command may have started
        // meanwhile.
        if (paths.isEmpty() || !mayStart(Activity::Request::Analysis))
            return;
    }
    paths.removeAll(QString());
    setFocus();
    ListProyectosInfo->hide();
    TextDecode->hide();
    LabelIndice->hide();

    const Activity::Token running(Activity::Kind::Analysis);
    // Each project file is read once in this analysis.
    Decoder::CacheScope projectsOnce;
    Decoding = true;
    LimpiarListas();
    DragVip.clear();

    Alerta(1, QString(), false);
    LabelAviso->setText(QStringLiteral("Descodificando datos... esperar a que termine."));
    LabelAviso->show();
    SalvaListados->setVisible(false);
    colorLapso(colorFromBgr(0xFFFFC0));

    if (paths.isEmpty()) {
        Decoding = false;
        resetAfterRun();
        return;
    }

    Peers::player().stopAndClear();
    destroyListTips();
    Iniciar_Clock();
    XP_ProgressBar1->show();

    const std::shared_ptr<const Analysis> a = analizar(Analysis::Road::Paths, paths);
    if (a->noProjects) {
        Module3::AjustarScrollHorizontal(ListProyectos);
        Decoding = false;
        resetAfterRun();
    } else {
        cmdCancelar->hide();
        cmdPerdidos->show();
        XP_ProgressBar1->hide();
        LabelAviso->hide();
        Alerta(1, QStringLiteral(": "), false);
        Decoding = false;
        cmdReset->show();
        if (cancelar) {
            resetAfterRun();
        } else if (ListProyectos->count() > 0) {
            const Activity::Token shown(Activity::Kind::Analysis);
            ListProyectos_Decode(0);
            ListProyectos->setCurrentRow(0);
            const QString name = Buscar::Obtener_Nombre_Archivo(ListProyectos->item(0)->text());
            LabelCount[1]->setText(name);
            ToolTipShow(QStringLiteral("ListProyectos"), ListProyectos, name);
        }
    }

    Lapso();
    SalvaListados->setVisible(true);
    Peers::player().stopAndClear();
    XP_ProgressBar1->hide();
    avisoFinal(*a);
}

void Form1::avisoFinal(const Analysis &a)
{
    const QString summary = a.summary();
    if (!summary.isEmpty())
        Alerta(3, summary, true);
}

void Form1::resetAfterRun()
{
    // The reset would cancel a run still on the stack; this is the run's own
    // ending, so it may empty the window.
    const Activity::Lift ownEnd;
    cmdReset_Click();
}

void Form1::BuscarProyectosCarpeta(const Analysis &a)
{
    Module3::AjustarScrollHorizontal(ListProyectos);
    Path = a.folder;
    TextDecode->hide();
    DirVip = Path;
    Decoding = true;
    setLines(ListProyectos, a.projectItems());
    Module3::AjustarScrollHorizontal(ListProyectos);
    ListProyectosInfo->hide();
    DirVip = a.folder;
    if (DragVip.isEmpty() && !a.projects.empty())
        DragVip = a.projects.front().path;

    setFocus();
    ShowIco->hide();
    captionProjectList();

    Alerta(1, QStringLiteral("Descodificando: ") + DragVip, true);
    XP_ProgressBar1->show();
}
