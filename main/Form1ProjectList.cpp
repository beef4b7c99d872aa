#include "main/Form1.h"

#include "main/Peers.h"
#include "main/ProjectItem.h"
#include "services/BuscarIcon.h"
#include "services/BuscarPaths.h"
#include "services/Class1.h"
#include "services/Module2.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

QString Form1::infoPanelText()
{
    const QStringList lines{
        QStringLiteral(" Se puede arrastrar (Drag&Drop) a esta lista uno o varios archivos Vip"),
        QStringLiteral(" desde el Explorador de Windows."),
        QStringLiteral(" Si se seleccionan con Crt+E, todos los archivos de una carpeta "),
        QStringLiteral(" sean o no archivos Vip, se cargan automáticamente solo los válidos."),
        QStringLiteral(" También se puede arrastrar una carpeta"),
        QStringLiteral(" Si tiene archivos Vip se cargarán todos.") + QString(9, u' '),
        QString(53, u' '),
        QString(14, u' ') + QStringLiteral("Una vez leido...  hacer clic aquí"),
    };
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void Form1::connectProjectList()
{
    ListProyectosInfo->clear();
    ListProyectosInfo->addItems(infoPanelText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));
    ListProyectosInfo->setToolTip(QStringLiteral("Clic para ocultar"));
    ListProyectosInfo->setSelectionMode(QAbstractItemView::NoSelection);
    connect(ListProyectos, &QListWidget::itemClicked, this, [this] { ListProyectos_Click(); });
    connect(ListProyectos, &QListWidget::itemDoubleClicked, this, [this] { ListProyectos_DblClick(); });
    connect(ListProyectosInfo, &QListWidget::itemClicked, this, [this] { ListProyectosInfo_Click(); });
}

void Form1::ListProyectosInfo_Click()
{
    ListProyectosInfo->hide();
}

void Form1::ListProyectos_Click()
{
    if (Activity::EstaBorrando())
        return;
    const QListWidgetItem *item = ListProyectos->currentItem();
    if (!item)
        return;
    const QString text = item->text();
    Buscar::ICO(ProjectItem::path(text), ImageICO);
    m_Item = -1;
    if (!Activity::arbiter().analysing()) {
        ImageSound->hide();
        ImageIcon->show();
        MostrarRuta(text);
        TipProyectos->Create(ListProyectos);
        ToolTipShow(QStringLiteral("ListProyectos"), ListProyectos, Buscar::Obtener_Nombre_Archivo(text));
    }
}

void Form1::ListProyectos_DblClick()
{
    if (!Activity::mayStart(Activity::Request::ListCommand))
        return;
    // Nothing chosen, nothing to decode.
    if (ListProyectos->currentRow() < 0)
        return;
    ImageIcon->hide();
    ImageSound->hide();
    TipProyectos->Destroy();
    // A cancel left from an earlier run must not cut this decode short.
    cancelar = false;
    Decoding = true;
    {
        const Activity::Token running(Activity::Kind::Analysis);
        ListProyectos_Decode(ListProyectos->currentRow());
    }
    XP_ProgressBar1->hide();
    Decoding = false;
    ListPath->hide();
    TipProyectos->Create(ListProyectos);
    if (QListWidgetItem *item = ListProyectos->currentItem()) {
        const QString name = Buscar::Obtener_Nombre_Archivo(item->text());
        LabelCount[1]->setText(name);
        ToolTipShow(QStringLiteral("ListProyectos"), ListProyectos, name);
    }
}

void Form1::ListProyectos_Decode(int Index)
{
    if (Index < 0 || Index >= ListProyectos->count())
        return;
    TextDecode->hide();
    ListPath->hide();
    // Hidden, not unloaded: its playlist stays (and a player that is not
    // loaded is not loaded just to be hidden).
    if (Peers::player().isVisible())
        Peers::player().setVisible(false);
    const QString path = ProjectItem::path(ListProyectos->item(Index)->text());
    cmdPerdidos->hide();
    CommandBorrado->hide();
    cmdCancelar->show();
    captionProjectList();
    decodeIntoListVip(path, path);
    Alerta(1, QStringLiteral(": "), false);
    ListVip->show();
    XP_ProgressBar1->show();
    if (!Module2::TablaPerdidos.isEmpty())
        cmdPerdidos->show();
    if (ListBorrar->count() > 0)
        CommandBorrado->show();
    cmdCancelar->hide();
    B_listProyectos = path;
}
