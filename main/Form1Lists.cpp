// The result lists apart from the audition: the line under the mouse, the
// frame around the list, the selection count, the double click on a project
// header, and the listings saved from the lists.

#include "main/Form1.h"

#include "main/Acerca.h"
#include "main/Listados.h"
#include "main/Peers.h"
#include "main/UsedList.h"
#include "platform/NoLinkWrite.h"
#include "platform/SpanishDate.h"
#include "platform/Twips.h"
#include "platform/WinFs.h"
#include "services/Class1.h"

#include <QAction>
#include <QApplication>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

QString currentText(const QListWidget *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item ? item->text() : QString();
}

} // namespace

void Form1::connectLists()
{
    // The frame drawn around the list under the mouse; the mouse goes
    // through it to the list.
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1->setStyleSheet(QStringLiteral("QLabel#Shape1 { border: 2px solid #3070d0; background: transparent; }"));
    for (QListWidget *l : {ListVip, ListUtilizados, ListBorrar, ListProyectos, ListProyectosInfo})
        l->viewport()->setMouseTracking(true);
    // The frame follows its list when the layout moves it (the status box
    // or the path line coming or going).
    for (QListWidget *l : {ListVip, ListUtilizados, ListBorrar, ListProyectos})
        l->installEventFilter(this);
    // The mouse over the window's own background, the list numbers and the
    // logo brings the window to the front.
    for (QWidget *w : frontOnMouse()) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    connect(ListUtilizados, &QListWidget::itemDoubleClicked, this, [this] { ListUtilizados_DblClick(); });
    connect(SalvaListados, &QAction::triggered, this, [this] { SalvaListados_Click(); });
    connect(About, &QAction::triggered, this, [this] { About_Click(); });
}

void Form1::ViewItem(QListWidget *List, const QPoint &pos, const QString &lista)
{
    if (!List || List->count() == 0 || Decoding)
        return;
    List->setFocus();
    // A point below the last line names no line.
    const int row = List->indexAt(pos).row();
    if (row < 0 || row >= List->count())
        return;
    const QString n = QString::number(row + 1);
    if (lista == QStringLiteral("Player")) {
        Peers::player().setLabelIndex(QStringLiteral(" Item: ") + n + u' ');
        return;
    }
    LabelIndice->setText(u' ' + lista + QStringLiteral(" - Item: ") + n + u' ');
    LabelIndice->show();
}

void Form1::toFront()
{
    // Not over a question or a menu the user is answering.
    if (isActiveWindow() || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    raise();
    activateWindow();
}

QList<QWidget *> Form1::frontOnMouse() const
{
    QList<QWidget *> out{centralWidget(), ShowIco};
    if (QWidget *commands = findChild<QWidget *>(QStringLiteral("Comandos")))
        out << commands;
    for (QLineEdit *t : TextNum1)
        out << t;
    return out;
}

void Form1::frameList(QListWidget *list)
{
    m_framed = list;
    if (list->count() == 0) {
        Shape1->hide();
        return;
    }
    // The frame stands a few pixels outside the list, wherever the layout
    // has put it.
    const QPoint at = list->mapTo(Shape1->parentWidget(), QPoint(0, 0));
    Shape1->setGeometry(QRect(at, list->size()).adjusted(-3, -3, 3, 3));
    Shape1->show();
    Shape1->raise();
}

void Form1::resultListMouseMove(QListWidget *list, const QPoint &pos)
{
    const QString name = list == ListVip          ? QStringLiteral("Lista 1")
                         : list == ListUtilizados ? QStringLiteral("Lista 2")
                                                  : QStringLiteral("Lista 4");
    ViewItem(list, pos, name);
    toFront();
    frameList(list);
}

void Form1::ListProyectos_MouseMove(const QPoint &pos)
{
    ViewItem(ListProyectos, pos, QStringLiteral("Lista 3"));
    toFront();
    frameList(ListProyectos);
}

bool Form1::HaySeleccion(const QListWidget *List)
{
    int n = 0;
    for (int i = 0; i < List->count(); ++i) {
        if (List->item(i)->isSelected() && ++n > 1)
            return true;
    }
    return false;
}

void Form1::QuitarSeleccion(QListWidget *L)
{
    if (L->count() > 0)
        L->clearSelection();
}

void Form1::ContarSeleccionados(QListWidget *L)
{
    // A token of its own: a deletion or an analysis that is running stays
    // running whatever happens here.
    const Activity::Token selecting(Activity::Kind::Selection);
    LabelSelec->hide();
    int n = 0;
    for (int i = 0; i < L->count(); ++i) {
        QListWidgetItem *item = L->item(i);
        if (!item->isSelected())
            continue;
        if (item->text() == QStringLiteral(" "))
            item->setSelected(false);
        else if (!UsedList::isHeader(item->text()))
            ++n;
    }
    if (n < 2)
        return;
    Peers::player().stop();
    ImageICO->hide();
    LabelSelec->setText(QString::number(n) + QStringLiteral(" seleccionados"));
    LabelSelec->show();
    // The balloon of any list that shows the same line is out of date.
    const QString line = currentText(L);
    const std::pair<QListWidget *, Class1 *> tips[] = {
        {ListVip, TipVip}, {ListUtilizados, TipUtilizados}, {ListBorrar, TipBorrar}};
    for (const auto &[list, tip] : tips) {
        if (currentText(list) == line)
            tip->Destroy();
    }
}

void Form1::ListUtilizados_DblClick()
{
    // Nothing while a run fills or empties the lists.
    if (!Activity::mayStart(Activity::Request::ListCommand))
        return;
    TextDecode->hide();
    const int current = ListUtilizados->currentRow();
    if (current < 0)
        return;
    const Activity::Token selecting(Activity::Kind::Selection);
    ListUtilizados->item(current)->setSelected(false);
    // Up to the next project header, known by the shape its writer gives
    // it, whatever the file lines hold: a take in a folder named "VIP", or
    // with ">" in its name, is a file line like any other.
    QItemSelection selection;
    int first = -1;
    const auto close = [&](int end) {
        if (first >= 0)
            selection.select(ListUtilizados->model()->index(first, 0), ListUtilizados->model()->index(end, 0));
        first = -1;
    };
    int i = current + 1;
    for (; i < ListUtilizados->count(); ++i) {
        const QString text = ListUtilizados->item(i)->text();
        if (UsedList::startsProject(text))
            break;
        if (text == QStringLiteral(" ")) {
            close(i - 1);
        } else if (first < 0) {
            first = i;
        }
    }
    close(i - 1);
    ListUtilizados->selectionModel()->select(selection, QItemSelectionModel::Select);
}

bool Form1::SalvarListados(const QString &file, QListWidget *List, const QString &tituloA, const QString &tituloB,
                           QString *error)
{
    if (file.isEmpty())
        return true;
    // The folder as the analysis reads folders; the file itself never
    // through a link.
    const qsizetype slash = file.lastIndexOf(u'\\');
    const NoLinkWrite::Folder folder
        = NoLinkWrite::Folder::open(slash < 0 ? QString() : WinFs::hostPath(file.left(slash + 1)), error);
    return folder.isOpen() && writeListing(folder, file.mid(slash + 1), List, tituloA, tituloB, error);
}

bool Form1::writeListing(const NoLinkWrite::Folder &folder, const QString &name, QListWidget *List,
                         const QString &tituloA, const QString &tituloB, QString *error)
{
    return Listados::write(
        folder, name, Listados::lines(SpanishDate::today(), SpanishDate::now(), lines(List), tituloA, tituloB), error);
}

void Form1::SalvaListados_Click()
{
    // The command decodes every project again and lets events run: not
    // inside an analysis or a deletion, and nothing starts inside it.
    if (!Activity::mayStart(Activity::Request::ListCommand))
        return;
    m_listados = ListadosOutcome();
    m_listados.ran = true;

    const QString folder = Listados::folder(DirVip);
    // The folder is held open for the whole run: a "Listados" replaced by a
    // link meanwhile is not followed.
    QString error = QStringLiteral("La unidad de la ruta no está disponible.");
    const QString hostProject = WinFs::hostPath(DirVip);
    const NoLinkWrite::Folder listados
        = hostProject.isEmpty() ? NoLinkWrite::Folder() : Listados::openFolder(hostProject, &error);
    if (!listados.isOpen()) {
        m_listados.failed << folder + QStringLiteral(": ") + error;
        AvisoMsg(QStringLiteral("No se puede crear la carpeta de los listados:\r\n") + folder + QStringLiteral("\r\n")
                     + error + QStringLiteral("\r\nNo se ha escrito ningún listado."),
                 QStringLiteral("SalvaListados"));
        return;
    }

    const Activity::Token running(Activity::Kind::Listings);
    Decoding = true;
    cancelar = false;
    cmdCancelar->show();

    // What the window shows now, to show it again however the run ends.
    int shown = 0;
    const QStringList projects = lines(ListProyectos);
    for (int i = 0; i < projects.size(); ++i) {
        if (!B_listProyectos.isEmpty() && projects[i].contains(B_listProyectos))
            shown = i;
    }
    const QStringList shownLines = lines(ListVip);
    const std::array<QString, 2> shownCount{LabelCount[0]->text(), LabelCount[1]->text()};
    const bool shownCountVisible = !LabelCount[1]->isHidden();
    const QString shownProject = B_listProyectos;

    const auto save = [&](const QString &name, QListWidget *list, const QString &a, const QString &b) {
        QString why;
        if (writeListing(listados, name, list, a, b, &why))
            ++m_listados.written;
        else
            m_listados.failed << name + QStringLiteral(": ") + why;
    };

    // A project cut short by a cancel is never written: its listing from an
    // earlier run stays as it was.
    const QStringList names = Listados::projectFileNames(projects);
    for (int i = 0; i < projects.size() && !cancelar; ++i) {
        ListProyectos_Decode(i);
        cmdCancelar->show();
        if (cancelar)
            break;
        save(names[i], ListVip, LabelCount[0]->text(), LabelCount[1]->text());
    }
    if (!cancelar && !projects.isEmpty())
        ListProyectos_Decode(shown);
    if (cancelar) {
        m_listados.cancelled = true;
        setLines(ListVip, shownLines);
        LabelCount[0]->setText(shownCount[0]);
        LabelCount[1]->setText(shownCount[1]);
        LabelCount[1]->setVisible(shownCountVisible);
        B_listProyectos = shownProject;
    }
    XP_ProgressBar1->hide();
    if (!cancelar) {
        save(Listados::kTotales, ListUtilizados, LabelAdd[0]->text(), LabelAdd[1]->text());
        save(Listados::kBorrar, ListBorrar, QString(), LabelErase[1]->text());
    }
    cmdCancelar->hide();
    Decoding = false;

    // The status box says where the listings went, and only when all went.
    const QString shownFolder = folder.chopped(1);
    if (!m_listados.failed.isEmpty()) {
        Alerta(3,
               QStringLiteral(" >>> AVISO <<<   No se han podido escribir %1 listados en: ")
                       .arg(m_listados.failed.size())
                   + shownFolder,
               true);
        AvisoMsg(QStringLiteral("No se han podido escribir estos listados en ") + folder + QStringLiteral(":\r\n")
                     + m_listados.failed.join(QStringLiteral("\r\n")),
                 QStringLiteral("SalvaListados"));
    } else if (m_listados.cancelled) {
        Alerta(3,
               QStringLiteral(" >>> AVISO <<<   Listados cancelados: se han guardado %1 en: ").arg(m_listados.written)
                   + shownFolder,
               true);
    } else {
        Alerta(1, QStringLiteral("Listados guardados en: ") + shownFolder, true);
    }
}

void Form1::About_Click()
{
    Acerca &a = acerca();
    if (a.isVisible()) {
        a.hide();
        return;
    }
    a.show();
    a.move(pos() + QPoint(Twips::toPixels(5000), Twips::toPixels(5000)));
    a.raise();
}
