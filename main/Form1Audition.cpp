#include "main/Form1.h"

#include "main/BuscarVips.h"
#include "main/Peers.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "services/AudioInfo.h"
#include "services/BuscarIcon.h"
#include "services/BuscarPaths.h"
#include "services/Class1.h"
#include "services/InfoTexts.h"
#include "services/Module2.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kNoReproducible = QStringLiteral(" >>> AVISO <<<   Este archivo no es reproducible");

bool playable(const QString &ext)
{
    static const QStringList kinds{QStringLiteral("wav"), QStringLiteral("mp3"), QStringLiteral("aif"),
                                   QStringLiteral("wma"), QStringLiteral("m4a")};
    return kinds.contains(ext);
}

QString currentLine(const QListWidget *list)
{
    const QListWidgetItem *item = list->currentItem();
    return item ? item->text() : QString();
}

// Size in megabytes the way the size lines round it.
QString megabytes(qint64 bytes, int decimals)
{
    return InfoTexts::numberText(double(bytes) * 9.53674316E-07, decimals);
}

} // namespace

void Form1::createTips()
{
    const auto make = [this](int back, int style, bool centred, QWidget *list) {
        auto *tip = new Class1(this);
        tip->setBackColor(back);
        tip->setStyle(style);
        tip->setIcon(1);
        tip->setDelayTime(10);
        if (list) {
            tip->mvarCentered = centred;
            tip->Create(list);
        }
        return tip;
    };
    TipGeneral = make(0xC0E0FF, 0, false, nullptr);
    TipVip = make(0xC0E0FF, 0, true, ListVip);
    TipUtilizados = make(0xC0E0FF, 0, true, ListUtilizados);
    TipBorrar = make(0xC0C0FF, 1, false, ListBorrar);
    TipProyectos = make(0xC0E0FF, 0, true, ListProyectos);
}

void Form1::destroyListTips()
{
    for (Class1 *tip : {TipVip, TipUtilizados, TipBorrar, TipProyectos})
        tip->Destroy();
}

void Form1::InfoAudio(const QString &t)
{
    Module2::InfoArchivo = QStringLiteral("No tiene información");
    std::optional<QString> text;
    if (t == QStringLiteral("wav"))
        text = AudioInfo::InfoWav(Buscado);
    else if (t == QStringLiteral("mp3"))
        text = AudioInfo::InfoMp3(Buscado);
    if (text)
        Module2::InfoArchivo = *text;
}

void Form1::PlayAudio(const QString &audio)
{
    Peers::player().PlayAudio(audio);
}

void Form1::SituarPlayer(bool visible)
{
    if (visible && Peers::player().isVisible())
        return;
    placePlayer();
    Peers::player().setVisible(visible);
}

void Form1::ToolTipShow(const QString &cual, QListWidget *v_List, const QString &archivo)
{
    const QString line = currentLine(v_List);
    if (line.contains(u'>')) {
        if (cual == QStringLiteral("ListProyectos") || cual == QStringLiteral("ListUtilizados")) {
            const QString head = line.left(line.indexOf(u'>') + 1);
            const QString path = QString(line).remove(head).trimmed();
            const WinFs::FileStat st = WinFs::statPath(path);
            if (st.isFile)
                Module2::InfoArchivo = QStringLiteral(" Tamaño: ") + megabytes(st.size, 1)
                    + QStringLiteral(" Mb\r\n Fecha: ") + InfoTexts::dateText(WinFs::lastModified(path));
        }
    } else {
        // One look at the line's file; the copy found is looked at only
        // when the line's file is not there.
        const WinFs::FileStat lineStat = WinFs::statPath(line);
        const bool present = lineStat.isFile && !lineStat.hidden;
        const QString file = present ? line : archivo;
        const WinFs::FileStat st = present ? lineStat : WinFs::statPath(archivo);
        // The size and the date are those of the file shown, also for an
        // empty one (the line may name a missing original).
        if (st.isFile)
            Module2::InfoArchivo = InfoTexts::balloonText(st.size, WinFs::lastModified(file), Module2::InfoArchivo);
    }

    Class1 *tip = nullptr;
    if (cual == QStringLiteral("ListVip"))
        tip = TipVip;
    else if (cual == QStringLiteral("ListUtilizados")) {
        tip = TipUtilizados;
        tip->setBackColor(line.contains(u'>') ? 0xFFC0C0 : 0xFFFFC0);
    } else if (cual == QStringLiteral("ListBorrar"))
        tip = TipBorrar;
    else if (cual == QStringLiteral("ListProyectos"))
        tip = TipProyectos;
    if (!tip)
        return;
    tip->setTitle(archivo);
    tip->setTipText(Module2::InfoArchivo);
}

void Form1::ShowToolTip(QListWidget *List, const QString &cline, const QString &archivo)
{
    if (cline.isEmpty())
        return;
    if (cline.contains(u'>')) {
        const WinFs::FileStat st = WinFs::statPath(archivo);
        Module2::InfoArchivo = QStringLiteral(" Tamaño: ") + megabytes(std::max<qint64>(st.size, 0), 2)
            + QStringLiteral(" Mb\r\n Fecha: ") + InfoTexts::dateText(WinFs::lastModified(archivo));
    } else {
        const WinFs::FileStat st = WinFs::statPath(cline);
        Module2::InfoArchivo = QStringLiteral(" Tamaño: ") + megabytes(std::max<qint64>(st.size, 0), 2)
            + QStringLiteral(" Mb\r\n Fecha: ") + InfoTexts::dateText(WinFs::lastModified(cline))
            + QStringLiteral("\r\n") + InfoTexts::kDashes40 + QStringLiteral("\r\n") + Module2::InfoArchivo;
    }
    TipGeneral->Destroy();
    TipGeneral->setTitle(archivo);
    QString text = Module2::InfoArchivo;
    // Misplaced is a copy found away from the path the list names; a file
    // auditioned where its line says (the deletion window) is not.
    if (cline.contains(QStringLiteral(":\\")) && cline != currentLine(List))
        text += QStringLiteral("\r\nEstá desubicado, su ruta original es: ")
            + Buscar::Obtener_Nombre_Path(currentLine(List), false);
    TipGeneral->setTipText(text);
    TipGeneral->mvarCentered = true;
    TipGeneral->Create(List);
}

bool Form1::auditionBusy() const
{
    return !Activity::mayStart(Activity::Request::Audition);
}

void Form1::auditionLine(QListWidget *list, const QString &cual)
{
    const QString item = currentLine(list);
    const bool used = list == ListUtilizados;
    if (list == ListVip) {
        TextDecode->hide();
        MostrarRuta(item);
        Peers::player().stop();
        Buscar::ICO(item, ImageICO);
        ImageICO->show();
    } else {
        Buscar::ICO(item, ImageICO);
        ImageICO->show();
        TextDecode->hide();
        MostrarRuta(item);
    }
    const QString ext = Buscar::Obtener_Extension(item).toLower();
    Class1 *tip = list == ListVip ? TipVip : used ? TipUtilizados : TipBorrar;

    if (playable(ext)) {
        Buscado = item;
        const QString name = WinFs::findNormalFile(item) ? Buscar::Obtener_Nombre_Archivo(item) : QString();
        ImageSound->show();
        if (used) {
            ImageIcon->hide();
            LabelAdd[1]->setText(name);
        }
        if (!name.isEmpty()) {
            if (CheckPlayer->isChecked())
                SituarPlayer(true);
            if (used) {
                PlayAudio(Buscado);
                InfoAudio(ext);
            } else {
                InfoAudio(ext);
                PlayAudio(Buscado);
            }
            tip->Create(list);
            TipGeneral->Destroy();
            ToolTipShow(cual, list, name);
            if (list != ListVip)
                ContarSeleccionados(list);
        } else {
            cmdCancelar->show();
            const bool found = Buscar::BuscarEnTodasUnidades(*this, Buscar::Obtener_Nombre_Archivo(item), list);
            if (found) {
                InfoAudio(ext);
                if (used) {
                    TipUtilizados->Destroy();
                    ShowToolTip(ListUtilizados, Buscado, Buscado);
                    PlayAudio(Buscado);
                } else {
                    ToolTipShow(cual, list, Buscado);
                    PlayAudio(Buscado);
                }
                if (CheckPlayer->isChecked())
                    SituarPlayer(true);
            } else if (used) {
                TipUtilizados->Destroy();
            }
        }
    } else {
        if (CheckPlayer->isChecked())
            SituarPlayer(false);
        if (used && ext == QStringLiteral("vip")) {
            ImageIcon->show();
            ImageSound->hide();
            const QString name = Buscar::Obtener_Nombre_Archivo(item);
            LabelAdd[1]->setText(name);
            TipUtilizados->Create(ListUtilizados);
            TipGeneral->Destroy();
            ToolTipShow(cual, list, name);
            Peers::player().stop();
        } else if (used) {
            LabelAdd[1]->clear();
            if (ext.isEmpty())
                return;
            Alerta(2, kNoReproducible, true);
        } else {
            Alerta(3, kNoReproducible, true);
        }
    }
    cmdCancelar->hide();
    list->setFocus();
}

void Form1::ListVip_Click()
{
    if (auditionBusy())
        return;
    auditionLine(ListVip, QStringLiteral("ListVip"));
}

void Form1::ListUtilizados_Click()
{
    ImageIcon->hide();
    if (!Activity::mayStart(Activity::Request::ListClick))
        return;
    if (QListWidgetItem *item = ListUtilizados->currentItem(); item && item->text() == QStringLiteral(" ")) {
        item->setSelected(false);
        return;
    }
    if (!Activity::mayStart(Activity::Request::Audition))
        return;
    auditionLine(ListUtilizados, QStringLiteral("ListUtilizados"));
}

void Form1::ListBorrar_Click()
{
    if (auditionBusy())
        return;
    auditionLine(ListBorrar, QStringLiteral("ListBorrar"));
}

void Form1::copyToPlayer(QListWidget *list, const QString &tipo)
{
    if (list->count() == 0)
        return;
    // The used-files list copies only a selection of two lines or more.
    if (list != ListUtilizados || HaySeleccion(list)) {
        Peers::player().CopiarListas(list, tipo);
        QuitarSeleccion(list);
    }
    Peers::player().stop();
}

bool Form1::resultListEvent(QListWidget *list, QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        auto *e = static_cast<QMouseEvent *>(event);
        m_lastButton = e->button();
        if (e->button() == Qt::RightButton) {
            Peers::player().stop();
            ImageICO->hide();
            return true;
        }
    } else if (event->type() == QEvent::MouseMove && watched == list->viewport()) {
        resultListMouseMove(list, static_cast<QMouseEvent *>(event)->position().toPoint());
    } else if (event->type() == QEvent::MouseButtonRelease && watched == list->viewport()) {
        // Counted once the list has settled its selection (a press on a
        // selected line selects it alone only on release).
        QMetaObject::invokeMethod(
            this,
            [this, list] {
                if (list != ListVip || (list->count() > 0 && !list->item(0)->text().isEmpty()))
                    ContarSeleccionados(list);
            },
            Qt::QueuedConnection);
    } else if (event->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(event);
        if (e->key() == Qt::Key_Insert) {
            copyToPlayer(list, list == ListVip ? QStringLiteral("Lista 1")
                               : list == ListUtilizados ? QStringLiteral("Lista 2")
                                                        : QStringLiteral("Lista 4"));
            return true;
        }
        if (e->key() == Qt::Key_Space) {
            Peers::player().stop();
            return true;
        }
    }
    return false;
}

void Form1::connectAudition()
{
    createTips();
    const auto clicked = [this](QListWidget *list, void (Form1::*handler)()) {
        connect(list, &QListWidget::itemClicked, this, [this, handler] {
            if (m_lastButton == Qt::LeftButton)
                (this->*handler)();
        });
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    };
    clicked(ListVip, &Form1::ListVip_Click);
    clicked(ListUtilizados, &Form1::ListUtilizados_Click);
    clicked(ListBorrar, &Form1::ListBorrar_Click);
}
