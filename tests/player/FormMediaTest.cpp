#include "player/FormMedia.h"

#include "main/Form1.h"
#include "main/Peers.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/MediaPlayer.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "player/Playlist.h"
#include "services/Module2.h"
#include "tests/support/Fixtures.h"

#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

struct Question
{
    QString title;
    QString text;
    QStringList buttons;
};

// The player window offscreen over a temporary drive D:; the copy question
// is answered from a queue and recorded.
class PlayerWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        use(formMediaPeer());
        Ask::setFunction([this](const QString &title, const QString &text, const QStringList &buttons) {
            questions.push_back({title, text, buttons});
            return answers.isEmpty() ? int(buttons.size()) - 1 : answers.takeFirst();
        });
    }
    static QByteArray wave(int ms) { return Fixtures::wavBytes(8000, 1, 16, 8 * ms, Fixtures::WavFormat::Pcm, true); }

    static QStringList lines(const QListWidget *l)
    {
        QStringList out;
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }

    FormMedia &shown()
    {
        FormMedia &w = formMedia();
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }

    // A list of another window with some lines selected.
    static std::unique_ptr<QListWidget> source(const QStringList &items, std::initializer_list<int> selected)
    {
        auto l = std::make_unique<QListWidget>();
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->addItems(items);
        for (int r : selected)
            l->item(r)->setSelected(true);
        return l;
    }

    // Drops these host files (and any other addresses) on the playlist as
    // the file manager does, at a point inside the list.
    void drop(FormMedia &w, const QList<QUrl> &urls, QPoint at = QPoint(12, 9))
    {
        QMimeData data;
        data.setUrls(urls);
        QWidget *vp = w.ListPlay->viewport();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &dropEvent);
        EXPECT_TRUE(dropEvent.isAccepted());
        QCoreApplication::processEvents();
    }
    static void clickLine(FormMedia &w, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        const QRect r = w.ListPlay->visualItemRect(w.ListPlay->item(row));
        QTest::mouseClick(w.ListPlay->viewport(), button, {}, r.center());
        QCoreApplication::processEvents();
    }
    static void select(FormMedia &w, int row)
    {
        w.ListPlay->setCurrentRow(row);
        w.ListPlay->item(row)->setSelected(true);
    }

    QList<int> answers;
    std::vector<Question> questions;
};

const QString kDisco = QStringLiteral("---------------------- < Drag de Disco duro > -------------------");

} // namespace

TEST_F(PlayerWindow, LoadsHiddenWithTheHelpTextAndItsDesignValues)
{
    FormMedia &w = formMedia();
    EXPECT_TRUE(formMediaLoaded());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "     Reproductor de audio");
    EXPECT_EQ(lines(w.ListPlay), Playlist::helpText());
    EXPECT_EQ(w.ListPlay->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(w.ListPlay->palette().color(QPalette::Base), QColor(0xFF, 0xE0, 0xC0));
    EXPECT_TRUE(w.ListPlay->font().bold());
    EXPECT_EQ(w.ListPlay->font().pointSize(), 10);
    EXPECT_EQ(w.ListPlay->toolTip(), "Clic en item Play, borrar item o sector tecla <Supr>");
    EXPECT_TRUE(w.ListPath->isHidden());
    EXPECT_TRUE(w.Label3->isHidden());
    EXPECT_EQ(w.LabelTime->text(), " 00:00 ");
    EXPECT_EQ(w.LabelSample->text(), "Archivos de 16 y 24 bits, se representan con espectro, 32 bits NO ");
    EXPECT_FALSE(w.CheckToolTip->isChecked());
    EXPECT_EQ(w.CheckToolTip->text(), "No Tool Tips");
    EXPECT_EQ(w.HScroll4->value(), 100);
    EXPECT_EQ(w.Label1->text(), "0");
    EXPECT_EQ(w.WM->volume(), 50);
    EXPECT_FALSE(w.WM->enableContextMenu());
    EXPECT_EQ(w.TimerPlay->interval(), 666);
    EXPECT_FALSE(w.TimerPlay->isActive());
    // No place stored, no main window: the middle of the screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((QRect(w.pos(), w.frameSize()).center() - area.center()).manhattanLength(), 40);
}

TEST_F(PlayerWindow, RestoresItsSettingsAndSavesThemWhenUnloaded)
{
    Settings::set("FormMediaToolTip", "1");
    Settings::set("FormMediaVolumen", "37");
    Settings::set("Player_Left", "1500");
    Settings::set("Player_Top", "3000");
    Settings::set("HScroll4", "60");
    FormMedia &w = formMedia();
    EXPECT_TRUE(w.CheckToolTip->isChecked());
    EXPECT_EQ(w.ListPlay->toolTip(), "");
    EXPECT_EQ(w.WM->volume(), 37);
    EXPECT_EQ(w.pos(), QPoint(100, 200));
    EXPECT_EQ(w.HScroll4->value(), 60);
    EXPECT_EQ(w.Label1->text(), "40");
    EXPECT_NEAR(w.windowOpacity(), 0.6, 0.01);

    w.CheckToolTip->setChecked(false);
    EXPECT_EQ(w.ListPlay->toolTip(),
              "Clic bot.izq. en item Play, Clic bot.dcho en item STOP, tecla <Supr> borrar en item o cabecera ");
    EXPECT_EQ(Settings::get("FormMediaToolTip"), "0");
    w.WM->setVolume(81);
    w.HScroll4->setValue(75);
    EXPECT_EQ(w.Label1->text(), "25");
    w.move(30, 40);
    unloadFormMedia();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(formMediaLoaded());
    Settings::reset();
    EXPECT_EQ(Settings::get("FormMediaToolTip"), "0");
    EXPECT_EQ(Settings::get("FormMediaVolumen"), "81");
    EXPECT_EQ(Settings::get("Player_Left"), "450");
    EXPECT_EQ(Settings::get("Player_Top"), "600");
    EXPECT_EQ(Settings::get("HScroll4"), "75");

    // Loaded again, it is as it was left.
    FormMedia &again = formMedia();
    EXPECT_EQ(again.WM->volume(), 81);
    EXPECT_EQ(again.HScroll4->value(), 75);
}

// A stored place between two pixels (a hand-edited file): the window's own
// load takes the nearest pixel, the main window's placing of it cuts the
// fraction off.
TEST_F(PlayerWindow, AStoredPlaceBetweenPixels)
{
    struct Case
    {
        const char *left, *top;
        QPoint loaded, moved;
    };
    const Case cases[] = {
        {"1523", "1522", {102, 101}, {101, 101}},
        {"1522.9", "1507.4", {102, 100}, {101, 100}},
        {"1537", "1530", {102, 102}, {102, 102}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.left) + "," + c.top);
        Settings::set("Player_Left", c.left);
        Settings::set("Player_Top", c.top);
        FormMedia &w = formMedia();
        EXPECT_EQ(w.pos(), c.loaded);
        formMediaPeer().toStoredPlace();
        EXPECT_EQ(w.pos(), c.moved);
        const std::optional<Peers::PlayerState> state = formMediaPeer().state();
        ASSERT_TRUE(state);
        EXPECT_EQ(QPoint(state->leftTwips, state->topTwips), c.moved * 15);
        unloadFormMedia();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Settings::reset();
        EXPECT_EQ(Settings::get("Player_Left"), QString::number(c.moved.x() * 15));
    }
}

TEST_F(PlayerWindow, DuringAnAnalysisTheLoadKeepsTheDesignState)
{
    Settings::set("FormMediaVolumen", "37");
    form1().Decoding = true;
    FormMedia &w = formMedia();
    EXPECT_EQ(w.ListPlay->count(), 0);
    EXPECT_EQ(w.WM->volume(), 50);
    // Unloaded, it leaves the user's stored settings as they were.
    EXPECT_FALSE(w.settingsRestored());
    unloadFormMedia();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Settings::get("FormMediaVolumen"), "37");
}

TEST_F(PlayerWindow, CopyOntoTheHelpTextMakesOneBlockWithoutAsking)
{
    FormMedia &w = shown();
    auto src = source({"1 --> D:\\P\\Tema.vip", "D:\\A\\uno.wav", "D:\\A\\DOS.WAV", "D:\\A\\tres.aif", " ",
                       "D:\\A\\cuatro.Mp3", "D:\\A\\cinco.wav"},
                      {0, 1, 2, 3, 4, 5});
    w.CopiarListas(src.get(), "Lista 2");
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(lines(w.ListPlay), (QStringList{"---------------------- < Copiado de Lista 2 > ----------------------",
                                              "D:\\A\\uno.wav", "D:\\A\\DOS.WAV", "D:\\A\\cuatro.Mp3"}));
    EXPECT_EQ(w.ListPlay->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xFF));
    EXPECT_EQ(w.ListPlay->palette().color(QPalette::Text), QColor(0, 0, 0));
    EXPECT_FALSE(w.ListPlay->font().bold());
    EXPECT_EQ(w.ListPlay->font().pointSize(), 8);
    EXPECT_TRUE(w.Label3->isHidden()); // a copy writes no count
}

TEST_F(PlayerWindow, CopyOverBlocksAsksAndFollowsEachAnswer)
{
    FormMedia &w = shown();
    auto first = source({"D:\\A\\a.wav", "D:\\A\\b.wav"}, {0, 1});
    auto second = source({"D:\\B\\c.mp3", "D:\\B\\d.txt"}, {0, 1});
    w.CopiarListas(first.get(), "Lista 1");
    const QStringList one = lines(w.ListPlay);
    const QString sep2 = Playlist::copySeparator("Lista 4");

    answers = {2};
    w.CopiarListas(second.get(), "Lista 4");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "Copiar al Player ");
    EXPECT_EQ(questions[0].text, "Copiar bloque de archivos de Lista 4");
    EXPECT_EQ(questions[0].buttons, (QStringList{"Reemplazar", "Añadir", "Cancelar"}));
    EXPECT_EQ(Module2::RespuestaCuadro, 2);
    EXPECT_EQ(lines(w.ListPlay), one);

    answers = {1};
    w.CopiarListas(second.get(), "Lista 4");
    EXPECT_EQ(lines(w.ListPlay), (one + QStringList{sep2, "D:\\B\\c.mp3"}));

    // Replacing stops what plays.
    const QString playing = put("suena.wav", wave(3000));
    w.PlayAudio(playing);
    ASSERT_TRUE(w.WM->isPlaying());
    answers = {0};
    w.CopiarListas(second.get(), "Lista 4");
    EXPECT_EQ(lines(w.ListPlay), (QStringList{sep2, "D:\\B\\c.mp3"}));
    EXPECT_FALSE(w.WM->isPlaying());
    EXPECT_EQ(questions.size(), 3u);

    // Closing the question without a button is "Cancelar".
    answers = {-1};
    w.CopiarListas(first.get(), "Lista 1");
    EXPECT_EQ(lines(w.ListPlay), (QStringList{sep2, "D:\\B\\c.mp3"}));
}

TEST_F(PlayerWindow, DropOfFilesFromTheFileManager)
{
    put("Audio/X.WAV", wave(100));
    put("WAV/Y.WAV", wave(100));
    put("Audio/B.Mp3", QByteArray(500, 'm'));
    put("Audio/pista.reapeaks", "peaks");
    put("Audio/pista.aif", "aiff");
    put("Audio/canción ñ.wav", wave(100));
    QDir(dir.path()).mkpath("Audio/Carpeta");
    FormMedia &w = shown();
    drop(w, {QUrl::fromLocalFile(host("Audio/X.WAV")), QUrl::fromLocalFile(host("WAV/Y.WAV")),
             QUrl::fromLocalFile(host("Audio/B.Mp3")), QUrl::fromLocalFile(host("Audio/pista.reapeaks")),
             QUrl::fromLocalFile(host("Audio/pista.aif")), QUrl::fromLocalFile(host("Audio/Carpeta")),
             QUrl("http://example.invalid/remoto.wav"), QUrl::fromLocalFile(host("Audio/canción ñ.wav"))});
    EXPECT_TRUE(questions.empty()); // over the help text nothing is asked
    EXPECT_EQ(lines(w.ListPlay), (QStringList{kDisco, "D:\\Audio\\X.wav", "D:\\wav\\Y.wav", "D:\\Audio\\B.mp3",
                                              "D:\\Audio\\canción ñ.wav"}));
    EXPECT_FALSE(w.Label3->isHidden());
    EXPECT_EQ(w.Label3->text(), " 4 archivos ");
    EXPECT_EQ(w.ListPlay->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xFF));

    // Over blocks it asks; "Cancelar" leaves the list as it was.
    const QStringList before = lines(w.ListPlay);
    answers = {2};
    drop(w, {QUrl::fromLocalFile(host("Audio/X.WAV"))});
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "Copiar al Player ");
    EXPECT_EQ(questions[0].text, "Arrastrar bloque de archivos de Disco duro  ");
    EXPECT_EQ(questions[0].buttons, (QStringList{"Reemplazar", "Añadir", "Cancelar"}));
    EXPECT_EQ(lines(w.ListPlay), before);

    answers = {1};
    drop(w, {QUrl::fromLocalFile(host("Audio/X.WAV"))});
    EXPECT_EQ(lines(w.ListPlay), (before + QStringList{kDisco, "D:\\Audio\\X.wav"}));
    EXPECT_EQ(w.Label3->text(), " 5 archivos ");

    answers = {0};
    drop(w, {QUrl::fromLocalFile(host("Audio/B.Mp3"))});
    EXPECT_EQ(lines(w.ListPlay), (QStringList{kDisco, "D:\\Audio\\B.mp3"}));
    EXPECT_EQ(w.Label3->text(), " 1 archivos ");

    // A drag that comes from the player control drops at exactly 0, 0.
    answers = {0};
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(host("Audio/X.WAV"))});
    w.ListPlay_OLEDragDrop(&data, QPoint(0, 0));
    EXPECT_EQ(lines(w.ListPlay), (QStringList{"---------------------- < Drag de WM > -------------------",
                                              "D:\\Audio\\X.wav"}));
}

TEST_F(PlayerWindow, DropWithoutLocalFilesLeavesAnEmptyList)
{
    FormMedia &w = shown();
    drop(w, {QUrl("http://example.invalid/a.wav")});
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(w.ListPlay->count(), 0);
    EXPECT_EQ(w.Label3->text(), " 0 archivos ");

    // An empty list counts as help text: the next drop does not ask.
    put("a.wav", wave(100));
    drop(w, {QUrl::fromLocalFile(host("a.wav"))});
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(lines(w.ListPlay), (QStringList{kDisco, "D:\\a.wav"}));
}

TEST_F(PlayerWindow, DragWithoutAddressesIsRefused)
{
    FormMedia &w = shown();
    QMimeData data;
    data.setText("D:\\texto.wav");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListPlay->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(lines(w.ListPlay), Playlist::helpText());
}

TEST_F(PlayerWindow, SuprOnALineAndOnSeparators)
{
    FormMedia &w = shown();
    auto a = source({"D:\\A\\1.wav", "D:\\A\\2.wav", "D:\\A\\3.wav"}, {0, 1, 2});
    auto b = source({"D:\\B\\4.wav", "D:\\B\\5.wav"}, {0, 1});
    auto c = source({"D:\\C\\6.wav"}, {0});
    w.CopiarListas(a.get(), "Lista 1");
    answers = {1, 1};
    w.CopiarListas(b.get(), "Lista 2");
    w.CopiarListas(c.get(), "Lista 4");
    const QString s1 = Playlist::copySeparator("Lista 1");
    const QString s2 = Playlist::copySeparator("Lista 2");
    const QString s4 = Playlist::copySeparator("Lista 4");
    ASSERT_EQ(lines(w.ListPlay), (QStringList{s1, "D:\\A\\1.wav", "D:\\A\\2.wav", "D:\\A\\3.wav", s2, "D:\\B\\4.wav",
                                              "D:\\B\\5.wav", s4, "D:\\C\\6.wav"}));

    // A file line goes alone; the count caption counts every line.
    w.Label3->show();
    select(w, 2);
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    EXPECT_EQ(lines(w.ListPlay), (QStringList{s1, "D:\\A\\1.wav", "D:\\A\\3.wav", s2, "D:\\B\\4.wav", "D:\\B\\5.wav",
                                              s4, "D:\\C\\6.wav"}));
    EXPECT_TRUE(w.Label3->isHidden());
    EXPECT_TRUE(w.LabelIndex->isHidden());
    EXPECT_EQ(w.Label3->text(), " 8 archivos ");
    EXPECT_EQ(w.ListIndex(), -1);

    // Nothing selected: the key does nothing; other keys do nothing.
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    EXPECT_EQ(w.ListPlay->count(), 8);
    select(w, 1);
    w.ListPlay_KeyDown(45);
    EXPECT_EQ(w.ListPlay->count(), 8);

    // A separator takes its block up to the next separator.
    w.LabelSample->show();
    select(w, 3);
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    EXPECT_EQ(lines(w.ListPlay), (QStringList{s1, "D:\\A\\1.wav", "D:\\A\\3.wav", s4, "D:\\C\\6.wav"}));
    EXPECT_TRUE(w.LabelSample->isHidden());
    EXPECT_EQ(w.Label3->text(), " 5 archivos ");

    // The last block goes up to the end.
    select(w, 3);
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    EXPECT_EQ(lines(w.ListPlay), (QStringList{s1, "D:\\A\\1.wav", "D:\\A\\3.wav"}));

    // The only block: the help text comes back.
    select(w, 0);
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    EXPECT_EQ(lines(w.ListPlay), Playlist::helpText());
    EXPECT_TRUE(w.ListPlay->font().bold());
}

TEST_F(PlayerWindow, SuprOnHelpLinesRemovesThemUntilTheHelpTextComesBack)
{
    FormMedia &w = shown();
    select(w, 1);
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    QStringList expected = Playlist::helpText();
    expected.removeAt(1);
    EXPECT_EQ(lines(w.ListPlay), expected);
    for (int i = 0; i < 7; ++i) {
        select(w, 0);
        QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    }
    EXPECT_EQ(lines(w.ListPlay), Playlist::helpText());
}

TEST_F(PlayerWindow, ClickOnTheHelpTextPlaysNothingAndSelectsNothing)
{
    FormMedia &w = shown();
    clickLine(w, 1);
    EXPECT_FALSE(w.WM->isPlaying());
    EXPECT_EQ(w.WM->playlistCount(), 0);
    EXPECT_TRUE(w.ListPlay->selectedItems().isEmpty());
    EXPECT_EQ(w.ListIndex(), -1);
    EXPECT_TRUE(w.ListPath->isHidden());
    EXPECT_TRUE(w.LabelIndex->isHidden()); // the mouse-up finds no selection
}

TEST_F(PlayerWindow, ClickOnAFilePlaysItAndASeparatorStopsIt)
{
    // The main window plays the clicked file: it is there, as in the program.
    form1();
    const QString take = put("Tomas/Voz 1.wav", wave(8000));
    put("Tomas/vacío.wav", QByteArray());
    FormMedia &w = shown();
    drop(w, {QUrl::fromLocalFile(host("Tomas/Voz 1.wav")), QUrl::fromLocalFile(host("Tomas/vacío.wav"))});
    ASSERT_EQ(lines(w.ListPlay), (QStringList{kDisco, take, "D:\\Tomas\\vacío.wav"}));

    clickLine(w, 1);
    EXPECT_TRUE(w.WM->isPlaying());
    EXPECT_EQ(w.WM->sourceURL(), take);
    EXPECT_EQ(w.Dato, " " + take + " - Duración: 00:08 - 0" + QLocale::system().decimalPoint() + "1 Mb. ");
    EXPECT_FALSE(w.ListPath->isHidden());
    EXPECT_EQ(lines(w.ListPath), QStringList{w.Dato});
    EXPECT_TRUE(w.TimerPlay->isActive());
    EXPECT_FALSE(w.ImageICO->isHidden());
    EXPECT_FALSE(w.LabelIndex->isHidden());
    EXPECT_EQ(w.LabelIndex->text(), " Item 2 ");
    EXPECT_EQ(w.tipTitle(), "Voz 1.wav");
    EXPECT_TRUE(w.tipText().startsWith(" Tamaño: 0" + QLocale::system().decimalPoint() + "12 Mb\r\n Fecha: "));
    // The main window's information text of the file follows the dashes.
    EXPECT_TRUE(w.tipText().contains(QString(40, u'-') + "\r\n Tipo: Wav")) << w.tipText().toStdString();

    // The position timer writes the position and the status line.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.LabelTime->text() != " 00:00 "; }, 6000));
    EXPECT_TRUE(w.LabelTime->text().startsWith(" 00:0")) << w.LabelTime->text().toStdString();
    EXPECT_TRUE(w.LabelTime->text().endsWith(' '));
    ASSERT_EQ(w.ListPath->count(), 1);
    EXPECT_TRUE(w.ListPath->item(0)->text().startsWith(w.Dato + "... "));
    EXPECT_TRUE(w.ListPath->item(0)->text().contains("/segundo"));

    // The right button stops it and selects nothing.
    clickLine(w, 2, Qt::RightButton);
    EXPECT_FALSE(w.WM->isPlaying());
    EXPECT_TRUE(w.ImageICO->isHidden());
    EXPECT_EQ(w.ListIndex(), 1);

    // A separator: hint, timer off, stopped.
    clickLine(w, 1);
    ASSERT_TRUE(w.WM->isPlaying());
    clickLine(w, 0);
    EXPECT_FALSE(w.WM->isPlaying());
    EXPECT_FALSE(w.TimerPlay->isActive());
    EXPECT_TRUE(w.ListPath->isHidden());
    EXPECT_FALSE(w.LabelSample->isHidden());
    EXPECT_EQ(w.LabelSample->text(), " Tecla <Supr> para borrar los items de  < Drag de Disco duro > ");

    // An empty file: its balloon counts 0 Kb and nothing hangs.
    clickLine(w, 2);
    EXPECT_FALSE(w.WM->isPlaying());
    EXPECT_TRUE(w.tipText().startsWith(" Tamaño: 0 Kb\r\n"));

    // Supr on the playing line stops it.
    clickLine(w, 1);
    ASSERT_TRUE(w.WM->isPlaying());
    QTest::keyClick(w.ListPlay, Qt::Key_Delete);
    EXPECT_FALSE(w.WM->isPlaying());
    EXPECT_EQ(lines(w.ListPlay), (QStringList{kDisco, "D:\\Tomas\\vacío.wav"}));
}

TEST_F(PlayerWindow, AFileClickIsAuditionedByTheMainWindow)
{
    form1();
    put("A/TOMA.WAV", wave(500));
    FormMedia &w = shown();
    auto src = source({"D:\\A\\TOMA.WAV"}, {0});
    w.CopiarListas(src.get(), "Lista 1");
    // The main window plays what the player window is asked to play, once
    // the clicked file is its own and its information text has begun.
    struct Spy final : FakePlayer
    {
        void PlayAudio(const QString &audio) override
        {
            calls << "PlayAudio " + audio + " Buscado " + form1().Buscado + " " + Module2::InfoArchivo;
            formMediaPeer().PlayAudio(audio);
        }
        QStringList calls;
    } spy;
    use(spy);
    Module2::InfoArchivo = "antes";
    clickLine(w, 1);
    // A copied upper-case extension keeps its case: no information for it.
    EXPECT_EQ(spy.calls, QStringList{"PlayAudio D:\\A\\TOMA.WAV Buscado D:\\A\\TOMA.WAV No tiene información"});
    EXPECT_TRUE(w.WM->isPlaying());
    EXPECT_TRUE(w.tipText().endsWith("No tiene información"));
    EXPECT_EQ(w.tipTitle(), "TOMA.WAV");
}

TEST_F(PlayerWindow, ItNeverMakesTheMainWindow)
{
    // The main window reaches down to the player, never the other way: with
    // none there, a click or a mouse move over a line makes none.
    put("A/TOMA.WAV", wave(500));
    FormMedia &w = shown();
    auto src = source({"D:\\A\\TOMA.WAV"}, {0});
    w.CopiarListas(src.get(), "Lista 1");
    clickLine(w, 1);
    const QRect r = w.ListPlay->visualItemRect(w.ListPlay->item(1));
    QMouseEvent move(QEvent::MouseMove, QPointF(r.center()), w.ListPlay->viewport()->mapToGlobal(QPointF(r.center())),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListPlay->viewport(), &move);
    EXPECT_FALSE(form1Loaded());
}

TEST_F(PlayerWindow, PlayAudioIgnoresEmptyAndMissingPaths)
{
    FormMedia &w = formMedia();
    w.Dato = "antes";
    w.PlayAudio("");
    w.PlayAudio("D:\\no existe.wav");
    EXPECT_EQ(w.Dato, "antes");
    EXPECT_EQ(w.WM->playlistCount(), 0);
    EXPECT_FALSE(w.TimerPlay->isActive());
    EXPECT_TRUE(w.ListPath->isHidden());
}

TEST_F(PlayerWindow, AnAuditionOfNothingLoadsNoWindow)
{
    form1().PlayAudio("");
    form1().PlayAudio("D:\\no existe.wav");
    EXPECT_FALSE(formMediaLoaded());
}

TEST_F(PlayerWindow, ADoubleClickOnAProjectHidesThePlayerAndKeepsItsPlaylist)
{
    write("P/A.vip", Fixtures::vipBytes({"D:\\P\\a1.wav"}));
    FormMedia &w = shown();
    drop(w, {QUrl::fromLocalFile(write("P/a1.wav", wave(500)))});
    const QStringList playlist = lines(w.ListPlay);
    Form1 &f = form1();
    Form1::setLines(f.ListProyectos, {"1 --> D:\\P\\A.vip"});
    f.ListProyectos->setCurrentRow(0);
    f.ListProyectos_DblClick();
    ASSERT_TRUE(formMediaLoaded());
    EXPECT_FALSE(formMedia().isVisible());
    EXPECT_EQ(lines(formMedia().ListPlay), playlist);
}

TEST_F(PlayerWindow, MouseOverALineShowsItsNumber)
{
    // The main window numbers the line, as it does for its own lists.
    form1();
    FormMedia &w = shown();
    const QRect r = w.ListPlay->visualItemRect(w.ListPlay->item(3));
    QTest::mouseMove(w.ListPlay->viewport(), r.center());
    QMouseEvent move(QEvent::MouseMove, QPointF(r.center()), w.ListPlay->viewport()->mapToGlobal(QPointF(r.center())),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListPlay->viewport(), &move);
    EXPECT_FALSE(w.LabelIndex->isHidden());
    EXPECT_EQ(w.LabelIndex->text(), " Item: 4 ");

    form1().Decoding = true;
    w.LabelIndex->hide();
    QCoreApplication::sendEvent(w.ListPlay->viewport(), &move);
    EXPECT_TRUE(w.LabelIndex->isHidden());
}

TEST_F(PlayerWindow, TheNowPlayingLineIsNeverCoveredByItsScrollBar)
{
    FormMedia &w = shown();
    QScrollBar *bar = w.ListPath->horizontalScrollBar();
    for (const QString &line : {" D:\\" + QString(400, u'x') + ".wav - Duración: 00:08... Reproduciendo 1/segundo ",
                                QStringLiteral(" D:\\a.wav ")}) {
        w.ListPath->clear();
        w.ListPath->addItem(line);
        w.ListPath->show();
        QApplication::processEvents();
        const QRect rect = w.ListPath->visualItemRect(w.ListPath->item(0));
        EXPECT_GE(w.ListPath->viewport()->height(), rect.bottom() + 1) << line.size();
        EXPECT_EQ(bar->isVisible(), line.size() > 100) << "the bar only when the line is wider";
    }
}
