#include "player/FormMedia.h"
#include "services/WindowPlace.h"

#include "main/Peers.h"
#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/MediaPlayer.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "platform/WinFs.h"
#include "player/Playlist.h"
#include "services/Class1.h"
#include "services/ModAlpha.h"
#include "services/InfoTexts.h"
#include "services/BuscarIcon.h"
#include "services/BuscarPaths.h"
#include "services/Module2.h"
#include "services/Module3Ui.h"
#include "services/WinColor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <climits>
#include <cmath>
#include <memory>

namespace {

// The slider's lower end: a window that can no longer be seen cannot be
// found to make it opaque again.
using ModAlpha::kMinOpacity;
constexpr int kDeleteKeyCode = 46;

// The window's own settings key; the others are Peers::PlayerKeys.
constexpr Settings::IntKey kOpacity = ModAlpha::opacityKey("HScroll4");

const QString kAskTitle = QStringLiteral("Copiar al Player ");
const QString kUsageTip = QStringLiteral("Clic en item Play, borrar item o sector tecla <Supr>");
const QString kUsageTipLong =
    QStringLiteral("Clic bot.izq. en item Play, Clic bot.dcho en item STOP, tecla <Supr> borrar en item o cabecera ");

// The list's text and background colours (&HBBGGRR, as the program writes
// them) and its font.
void setLook(QListWidget *list, quint32 fore, quint32 back, int size, bool bold)
{
    QPalette pal = list->palette();
    pal.setColor(QPalette::Text, colorFromBgr(fore));
    pal.setColor(QPalette::Base, colorFromBgr(back));
    list->setPalette(pal);
    QFont font(QStringLiteral("MS Sans Serif"), size);
    font.setBold(bold);
    list->setFont(font);
}

// An analysis of the main window is running.
bool decoding()
{
    const Peers::MainWindow *main = Peers::mainWindow();
    return main && main->decoding();
}

} // namespace

namespace {

class Peer final : public Peers::PlayerWindow
{
public:
    void unloadFormMedia() override { ::unloadFormMedia(); }
    void stop() override
    {
        if (FormMedia *w = SingleWindow<FormMedia>::find())
            w->WM->stop();
    }
    void stopAndClear() override
    {
        if (FormMedia *w = SingleWindow<FormMedia>::find()) {
            w->WM->stop();
            w->WM->clearPlaylist();
        }
    }
    bool isVisible() override { return formMediaLoaded() && formMedia().isVisible(); }
    void setVisible(bool visible) override { formMedia().setVisible(visible); }
    void toggleVisible() override
    {
        FormMedia &w = formMedia();
        w.setVisible(!w.isVisible());
        if (w.isVisible()) {
            w.raise();
            if (w.ListPlay->count() > 0 && w.ListPlay->item(0)->text().isEmpty())
                w.ListPath->hide();
        }
    }
    void focus() override
    {
        FormMedia &w = formMedia();
        w.raise();
        w.activateWindow();
    }
    void toStoredPlace() override
    {
        FormMedia &w = formMedia();
        const Settings::PlaceKeys &place = Peers::PlayerKeys::Place;
        if (!WindowPlace::stored(place)) {
            WindowPlace::besideMain(&w);
            return;
        }
        // The fraction of a pixel cut off, as the main window always has.
        WindowPlace::place(&w, QPoint(Twips::toPixelsTowardZero(place.left.value()),
                                      Twips::toPixelsTowardZero(place.top.value())));
    }
    int volume() override { return formMedia().WM->volume(); }
    void setVolume(int volume) override { formMedia().WM->setVolume(volume); }
    std::optional<Peers::PlayerState> state() override
    {
        FormMedia *w = SingleWindow<FormMedia>::find();
        if (!w || !w->settingsRestored())
            return std::nullopt;
        return Peers::PlayerState{w->WM->volume(), w->CheckToolTip->isChecked() ? 1 : 0, Twips::fromPixels(w->x()), Twips::fromPixels(w->y())};
    }
    void CopiarListas(QListWidget *lista, const QString &tipo) override { formMedia().CopiarListas(lista, tipo); }
    void setLabelIndex(const QString &caption) override
    {
        FormMedia &w = formMedia();
        w.LabelIndex->setText(caption);
        w.LabelIndex->show();
    }
    void PlayAudio(const QString &audio) override
    {
        // Nothing to play loads no window.
        if (audio.isEmpty() || !WinFs::findNormalFile(audio))
            return;
        formMedia().PlayAudio(audio);
    }
};

} // namespace

Peers::PlayerWindow &formMediaPeer()
{
    static Peer peer;
    return peer;
}

FormMedia::FormMedia()
{
    setObjectName(QStringLiteral("FormMedia"));
    setWindowTitle(QStringLiteral("     Reproductor de audio"));
    setMouseTracking(true);
    resize(520, 460);

    WM = new MediaPlayer(this);
    ListPath = new QListWidget(this);
    ListPath->setObjectName(QStringLiteral("ListPath"));
    Module3::keepLineAboveScrollBar(ListPath);
    LabelTime = new QLabel(QStringLiteral(" 00:00 "), this);
    LabelTime->setObjectName(QStringLiteral("LabelTime"));
    ImageICO = new QLabel(this);
    ImageICO->setObjectName(QStringLiteral("ImageICO"));
    ImageICO->setFixedSize(34, 34);
    LabelIndex = new QLabel(this);
    LabelIndex->setObjectName(QStringLiteral("LabelIndex"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    ListPlay = new QListWidget(this);
    ListPlay->setObjectName(QStringLiteral("ListPlay"));
    ListPlay->setSelectionMode(QAbstractItemView::SingleSelection);
    ListPlay->setToolTip(kUsageTip);
    ListPlay->setAcceptDrops(true);
    ListPlay->viewport()->setAcceptDrops(true);
    ListPlay->setMouseTracking(true);
    LabelSample = new QLabel(QStringLiteral("Archivos de 16 y 24 bits, se representan con espectro, 32 bits NO "), this);
    LabelSample->setObjectName(QStringLiteral("LabelSample"));
    CheckToolTip = new QCheckBox(QStringLiteral("No Tool Tips"), this);
    CheckToolTip->setObjectName(QStringLiteral("CheckToolTip"));
    HScroll4 = new QScrollBar(Qt::Horizontal, this);
    HScroll4->setObjectName(QStringLiteral("HScroll4"));
    HScroll4->setRange(kMinOpacity, 100);
    HScroll4->setValue(100);
    Label1 = new QLabel(QStringLiteral("0"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    TimerPlay = new QTimer(this);
    TimerPlay->setObjectName(QStringLiteral("TimerPlay"));
    TimerPlay->setInterval(666);

    auto *info = new QHBoxLayout;
    info->addWidget(ImageICO);
    info->addWidget(LabelTime);
    info->addWidget(LabelIndex);
    info->addWidget(Label3);
    info->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(CheckToolTip);
    bottom->addWidget(new QLabel(QStringLiteral("Transparencia"), this));
    bottom->addWidget(HScroll4, 1);
    bottom->addWidget(Label1);
    auto *box = new QVBoxLayout(this);
    box->addWidget(WM);
    box->addWidget(ListPath);
    box->addLayout(info);
    box->addWidget(ListPlay, 1);
    box->addWidget(LabelSample);
    box->addLayout(bottom);

    ListPlay->installEventFilter(this);
    ListPlay->viewport()->installEventFilter(this);
    ListPlay->viewport()->setMouseTracking(true);
    ListPath->viewport()->installEventFilter(this);
    ListPath->viewport()->setMouseTracking(true);

    connect(ListPlay, &QListWidget::itemClicked, this, [this] { ListPlay_Click(); });
    connect(CheckToolTip, &QCheckBox::toggled, this, &FormMedia::CheckToolTip_Click);
    connect(HScroll4, &QScrollBar::valueChanged, this, &FormMedia::HScroll4_Scroll);
    connect(TimerPlay, &QTimer::timeout, this, &FormMedia::TimerPlay_Timer);
    connect(WM, &MediaPlayer::mouseMoved, this, &FormMedia::WM_MouseMove);
    TipPlay = new Class1(this);
    Form_Load();
}

FormMedia::~FormMedia()
{
    SingleWindow<FormMedia>::release(this);
}

void FormMedia::Form_Load()
{
    if (decoding())
        return;
    m_restored = true;
    ResetPlayer();
    CheckToolTip->setChecked(Peers::PlayerKeys::ToolTip.value() == 1);
    WM->setVolume(Peers::PlayerKeys::Volumen.value());
    WindowPlace::restore(this, Peers::PlayerKeys::Place);
    WM->setEnableContextMenu(false);
    ListPath->hide();
    Label3->hide();
    TipPlay->setBackColor(0xC0E0FF);
    TipPlay->setStyle(0);
    TipPlay->setIcon(1);
    TipPlay->setDelayTime(10);
    TipPlay->mvarCentered = true;
    TipPlay->Create(ListPlay);
    const QSignalBlocker block(HScroll4);
    HScroll4->setValue(kOpacity.value());
    HScroll4_Scroll();
}

void FormMedia::Form_Unload()
{
    TimerPlay->stop();
    WM->stop();
    // A window loaded during an analysis never read the user's settings:
    // storing its design values would lose them.
    if (!m_restored)
        return;
    Peers::PlayerKeys::ToolTip.setValue(CheckToolTip->isChecked() ? 1 : 0);
    Peers::PlayerKeys::Volumen.setValue(WM->volume());
    WindowPlace::save(this, Peers::PlayerKeys::Place);
    kOpacity.setValue(HScroll4->value());
    Settings::sync();
}

void FormMedia::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_closing)
        return;
    m_closing = true;
    Form_Unload();
    SingleWindow<FormMedia>::discard(this);
}

void FormMedia::ResetPlayer()
{
    ListPlay->clear();
    ListPlay->addItems(Playlist::helpText());
    setHelpLook();
}

void FormMedia::setHelpLook()
{
    setLook(ListPlay, 0xFF, 0xC0E0FF, 10, true);
}

void FormMedia::setBlockLook()
{
    setLook(ListPlay, 0, 0xFFFFC0, 8, false);
}

void FormMedia::addLine(const QString &line)
{
    ListPlay->addItem(line);
}

QString FormMedia::firstLine() const
{
    return ListPlay->count() > 0 ? ListPlay->item(0)->text() : QString();
}

QStringList FormMedia::lines() const
{
    QStringList out;
    for (int i = 0; i < ListPlay->count(); ++i)
        out << ListPlay->item(i)->text();
    return out;
}

int FormMedia::ListIndex() const
{
    const int row = ListPlay->currentRow();
    return row >= 0 && ListPlay->item(row)->isSelected() ? row : -1;
}

void FormMedia::CheckToolTip_Click()
{
    ListPlay->setToolTip(CheckToolTip->isChecked() ? QString() : kUsageTipLong);
    Peers::PlayerKeys::ToolTip.setValue(CheckToolTip->isChecked() ? 1 : 0);
}

void FormMedia::HScroll4_Scroll()
{
    ModAlpha::AplicarAlpha(this, HScroll4->value());
    Label1->setText(QString::number(100 - HScroll4->value()));
}

void FormMedia::bringToFront()
{
    if (!isVisible() || isActiveWindow())
        return;
    raise();
    activateWindow();
}

void FormMedia::mouseMoveEvent(QMouseEvent *event)
{
    bringToFront();
    QWidget::mouseMoveEvent(event);
}

void FormMedia::WM_MouseMove()
{
    bringToFront();
}

void FormMedia::ListPath_MouseMove()
{
    ListPath->setFocus();
    Module3::AjustarScrollHorizontal(ListPath);
}

void FormMedia::ListPlay_MouseMove(const QPoint &pos)
{
    bringToFront();
    if (ListPlay->isVisible()) {
        ListPlay->setFocus();
        Module3::AjustarScrollHorizontal(ListPlay);
    }
    if (Peers::MainWindow *main = Peers::mainWindow())
        main->ViewItem(ListPlay, pos, QStringLiteral("Player"));
}

void FormMedia::ListPlay_MouseDown(Qt::MouseButton button)
{
    if (button != Qt::RightButton)
        return;
    WM->stop();
    ImageICO->hide();
}

void FormMedia::ListPlay_MouseUp()
{
    const int i = ListIndex();
    if (i < 0 || ListPlay->item(i)->text().isEmpty()) {
        LabelIndex->hide();
        Label3->hide();
        return;
    }
    LabelIndex->setText(QStringLiteral(" Item ") + QString::number(i + 1) + u' ');
    LabelIndex->show();
}

void FormMedia::ListPlay_Click()
{
    const int i = ListIndex();
    LabelIndex->hide();
    ImageICO->hide();
    LabelIndex->setText(QStringLiteral(" Item ") + QString::number(i + 1) + u' ');
    LabelIndex->show();

    if (firstLine().isEmpty()) {
        // The help text: nothing to play, nothing stays selected.
        if (i >= 0)
            ListPlay->item(i)->setSelected(false);
        if (ListPlay->count() > 0)
            ListPlay->item(0)->setSelected(false);
        ListPath->hide();
        return;
    }
    if (i < 0)
        return;
    const QString line = ListPlay->item(i)->text();
    if (Playlist::isSeparator(line)) {
        ListPath->hide();
        LabelSample->setText(Playlist::separatorHint(line));
        LabelSample->show();
        TimerPlay->stop();
        WM->stop();
        return;
    }

    WM->stop();
    if (Peers::MainWindow *main = Peers::mainWindow()) {
        main->setBuscado(line);
        main->InfoAudio(line.right(3));
        QPointer<FormMedia> self(this);
        main->PlayAudio(line);
        if (!self)
            return;
    }
    Buscar::ICO(line, ImageICO);
    ImageICO->show();
    TipPlay->Create(ListPlay);
    ItemToolTip(ListPlay, line);
}

void FormMedia::ItemToolTip(QListWidget *list, const QString &file)
{
    const int row = list->currentRow();
    const QString selected = row >= 0 && list->item(row)->isSelected() ? list->item(row)->text() : QString();
    const QString source = !selected.isEmpty() && WinFs::findNormalFile(selected) ? selected : file;
    const WinFs::FileStat st = WinFs::statPath(source);
    if (!st.exists || st.isDir)
        return; // a file that is gone gives no balloon text
    Module2::InfoArchivo = InfoTexts::balloonText(st.size, WinFs::lastModified(source), Module2::InfoArchivo);
    TipPlay->setTitle(Buscar::Obtener_Nombre_Archivo(file));
    TipPlay->setTipText(Module2::InfoArchivo);
}

void FormMedia::ListPlay_KeyDown(int KeyCode)
{
    if (KeyCode != kDeleteKeyCode)
        return;
    const int s = ListIndex();
    if (s < 0)
        return;
    const QString line = ListPlay->item(s)->text();
    if (WM->sourceURL() == line)
        WM->stop();
    LabelIndex->hide();
    Label3->hide();
    const bool block = Playlist::isSeparator(line);
    delete ListPlay->takeItem(s);
    if (block)
        while (s < ListPlay->count() && !Playlist::isSeparator(ListPlay->item(s)->text()))
            delete ListPlay->takeItem(s);
    ListPlay->setCurrentRow(-1);
    ListPlay->clearSelection();
    Label3->setText(Playlist::countText(ListPlay->count()));
    if (block)
        LabelSample->hide();
    if (ListPlay->count() == 0)
        ResetPlayer();
}

int FormMedia::askCopy(const QString &text)
{
    m_asking = true;
    Module2::TextoCuadro = text;
    const int answer = Ask::question(kAskTitle, Module2::TextoCuadro,
                                     {QStringLiteral("Reemplazar"), QStringLiteral("Añadir"), QStringLiteral("Cancelar")});
    Module2::RespuestaCuadro = answer;
    m_asking = false;
    return answer;
}

void FormMedia::ListPlay_OLEDragDrop(const QMimeData *data, const QPoint &pos)
{
    if (m_asking)
        return;
    // Only files of this machine can be played; other addresses are left out.
    QStringList files;
    if (data)
        for (const QUrl &url : data->urls())
            if (url.isLocalFile() && !url.toLocalFile().isEmpty())
                files << url.toLocalFile();

    bool replace = true;
    if (!firstLine().isEmpty()) {
        QPointer<FormMedia> self(this);
        const int answer = askCopy(QStringLiteral("Arrastrar bloque de archivos de Disco duro  "));
        if (!self)
            return;
        if (answer == 2) {
            Module3::AjustarScrollHorizontal(ListPlay);
            return;
        }
        replace = answer == 0;
    }
    if (replace) {
        ListPlay->clear();
        WM->stop();
    }
    setBlockLook();
    if (!files.isEmpty()) {
        addLine(Playlist::dropSeparator(pos == QPoint(0, 0)));
        ListPath->hide();
        for (const QString &host : files) {
            const QString kept = Playlist::droppedFile(DriveMap::instance().toWindows(host));
            if (!kept.isEmpty())
                addLine(kept);
        }
    }
    Label3->setText(Playlist::countText(Playlist::fileCount(lines())));
    Label3->show();
    Module3::AjustarScrollHorizontal(ListPlay);
}

void FormMedia::CopiarListas(QListWidget *lista, const QString &tipo)
{
    if (m_asking || !lista)
        return;
    // The selection is taken before any question is asked.
    QStringList copied;
    for (int i = 0; i < lista->count(); ++i) {
        const QListWidgetItem *item = lista->item(i);
        if (item->isSelected() && Playlist::isCopiedAudio(item->text()))
            copied << item->text();
    }
    const QString separator = Playlist::copySeparator(tipo);
    if (!Playlist::isSeparator(firstLine())) {
        ListPlay->clear();
        setBlockLook();
        addLine(separator);
        ListPlay->addItems(copied);
        return;
    }
    QPointer<FormMedia> self(this);
    const int answer = askCopy(QStringLiteral("Copiar bloque de archivos de ") + tipo);
    if (!self)
        return;
    if (answer == 0) {
        setBlockLook();
        ListPlay->clear();
        WM->stop();
    } else if (answer == 1) {
        setBlockLook();
    } else {
        return;
    }
    addLine(separator);
    ListPlay->addItems(copied);
}

void FormMedia::PlayAudio(const QString &audio)
{
    if (audio.isEmpty() || !WinFs::findNormalFile(audio))
        return;
    const qint64 bytes = WinFs::fileSize(audio);
    WM->clearPlaylist();
    const int n = WM->playlistCount();
    const MediaPlayer::Media m = WM->addToCollection(audio);
    WM->insertItem(n, m);
    const QString dur = WM->durationString();
    Dato = Playlist::nowPlayingLine(audio, dur, bytes);
    ListPath->clear();
    ListPath->addItem(Dato);
    ListPath->show();
    LabelTime->show();
    WM->play();
    TimerPlay->start();
}

void FormMedia::TimerPlay_Timer()
{
    LabelTime->setText(u' ' + WM->currentPositionString() + u' ');
    const QString status = WM->status();
    if (status.contains(QLatin1String("/segundo"))) {
        ListPath->clear();
        ListPath->addItem(Dato + QStringLiteral("... ") + status + u' ');
    }
}

bool FormMedia::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListPlay && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
            ListPlay_KeyDown(kDeleteKeyCode);
            return true;
        }
        return false;
    }
    if (watched == ListPath->viewport() && event->type() == QEvent::MouseMove) {
        ListPath_MouseMove();
        return false;
    }
    if (watched != ListPlay->viewport())
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            // The right button stops playback and never selects.
            if (event->type() == QEvent::MouseButtonPress)
                ListPlay_MouseDown(Qt::RightButton);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(this, &FormMedia::ListPlay_MouseUp, Qt::QueuedConnection);
        return false;
    }
    case QEvent::MouseMove:
        ListPlay_MouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *de = static_cast<QDropEvent *>(event);
        if (de->mimeData()->hasUrls())
            de->acceptProposedAction();
        else
            de->ignore();
        return true;
    }
    case QEvent::Drop: {
        // The drop is handled once the drag has ended: the question it may
        // ask must not keep the file manager's drag waiting.
        auto *de = static_cast<QDropEvent *>(event);
        auto copy = std::make_shared<QMimeData>();
        copy->setUrls(de->mimeData()->urls());
        const QPoint pos = de->position().toPoint();
        de->acceptProposedAction();
        QTimer::singleShot(0, this, [this, copy, pos] { ListPlay_OLEDragDrop(copy.get(), pos); });
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

QString FormMedia::tipTitle() const
{
    return TipPlay->Title();
}

QString FormMedia::tipText() const
{
    return TipPlay->TipText();
}
