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
    unreadableProjects.clear();
    passedOverAudio = 0;
    answeringTogether = 0;
    refusedProjects.clear();
    otherProjects = 0;
    damagedProjects.clear();
    damagedPaths.clear();

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
    WinFs::clearCache();

    // The projects of every path, each once, in the order dropped; the
    // folder shown is that of the last path that holds one.
    QStringList projects;
    QSet<QString> listed;
    const auto take = [&](const QString &project) {
        if (!listed.contains(project)) {
            listed.insert(project);
            projects << project;
        }
    };
    QString shownFolder;
    for (const QString &ruta : std::as_const(paths)) {
        const WinFs::FileStat st = WinFs::statPath(ruta);
        const bool isFile = st.isFile && !st.hidden;
        if (isFile && ruta.right(4).toLower() == QStringLiteral(".vip")) {
            if (Valido(ruta)) {
                take(ruta);
                shownFolder = Buscar::Obtener_Nombre_Path(ruta, false);
            } else if (dec.readError) {
                unreadableProjects << ruta;
            }
        } else if (!isFile && Buscar::BuscarVips(*this, ruta)) {
            for (const QString &project : std::as_const(List1))
                take(project);
            shownFolder = ruta;
        }
        if (cancelar)
            break;
    }
    List1 = projects;
    Module3::AjustarScrollHorizontal(ListProyectos);
    if (!projects.isEmpty() && !cancelar) {
        Path = shownFolder;
        BuscarProyectosCarpeta();
    } else {
        Decoding = false;
        resetAfterRun();
    }

    Lapso();
    SalvaListados->setVisible(true);
    Peers::player().stopAndClear();
    XP_ProgressBar1->hide();
    if (!unreadableSummary().isEmpty())
        Alerta(3, unreadableSummary(), true);
}

QString Form1::unreadableSummary() const
{
    QString notice = passedOverAudio > 0 ? Unused::passedOverNotice(passedOverAudio) : QString();
    if (answeringTogether > 0)
        notice += (notice.isEmpty() ? QString() : QStringLiteral("\r\n")) + Unused::answeringTogetherNotice(answeringTogether);
    if (otherProjects > 0)
        notice += (notice.isEmpty() ? QString() : QStringLiteral("\r\n")) + Unused::otherProjectsNotice(otherProjects);
    for (const QString &p : damagedProjects)
        notice += (notice.isEmpty() ? QString() : QStringLiteral("\r\n")) + QStringLiteral(" >>> AVISO <<<   El proyecto ")
            + p + QStringLiteral(" parece dañado (le falta el final): sus archivos de audio se conservan.");
    if (unreadableProjects.isEmpty())
        return notice;
    QString text = QStringLiteral(" >>> AVISO <<<   No se han podido leer %1 proyectos; sin ellos la lista de "
                                  "no utilizados no es fiable y no se ofrece ningún archivo para borrar:")
                       .arg(unreadableProjects.size());
    for (const QString &p : unreadableProjects)
        text += QStringLiteral("\r\n") + p;
    return notice.isEmpty() ? text : text + QStringLiteral("\r\n") + notice;
}

void Form1::resetAfterRun()
{
    // The reset would cancel a run still on the stack; this is the run's own
    // ending, so it may empty the window.
    const Activity::Lift ownEnd;
    cmdReset_Click();
}

void Form1::BuscarProyectosCarpeta()
{
    TextDecode->hide();
    DirVip = Path;
    Decoding = true;

    QStringList items;
    int n = 1;
    for (const QString &line : List1) {
        if (CheckBAK->isChecked() || !line.contains(QStringLiteral("_BAK")))
            items << ProjectItem::make(n++, line);
        if (cancelar)
            break;
    }
    setLines(ListProyectos, items);
    Module3::AjustarScrollHorizontal(ListProyectos);
    ListProyectosInfo->hide();

    if (DirVip.isEmpty() && ListProyectos->count() > 0)
        DirVip = Buscar::Obtener_Nombre_Path(ListProyectos->item(0)->text(), false);
    if (DragVip.isEmpty() && ListProyectos->count() > 0)
        DragVip = ProjectItem::path(ListProyectos->item(0)->text());

    setFocus();
    ShowIco->hide();
    captionProjectList();

    Alerta(1, QStringLiteral("Descodificando: ") + DragVip, true);
    XP_ProgressBar1->show();

    {
        const Activity::Token running(Activity::Kind::Analysis);
        LlenarListUtilizados();
        LlenarListBorrar();
        BuscarPerdidos();
    }

    cmdCancelar->hide();
    cmdPerdidos->show();
    XP_ProgressBar1->hide();
    LabelAviso->hide();
    Alerta(1, QStringLiteral(": "), false);
    Decoding = false;
    cmdReset->show();
    if (cancelar) {
        resetAfterRun();
        return;
    }
    if (ListProyectos->count() > 0) {
        const Activity::Token running(Activity::Kind::Analysis);
        ListProyectos_Decode(0);
        ListProyectos->setCurrentRow(0);
        const QString name = Buscar::Obtener_Nombre_Archivo(ListProyectos->item(0)->text());
        LabelCount[1]->setText(name);
        ToolTipShow(QStringLiteral("ListProyectos"), ListProyectos, name);
    }
}
