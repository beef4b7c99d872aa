#include "services/Class1.h"

#include "tests/support/Readable.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPalette>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// A window with a list, as the main window carries its tooltips.
struct Host
{
    Host(QPoint at = QPoint(100, 100))
    {
        window = std::make_unique<QWidget>();
        window->setGeometry(QRect(at, QSize(400, 200)));
        list = new QListWidget(window.get());
        list->setGeometry(50, 20, 300, 120);
        list->addItems({"D:\\Audio\\Voz 1.wav", "D:\\Audio\\Voz 2.wav"});
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    ~Host() { QTest::mouseMove(window.get(), QPoint(5, 190)); }

    void rest(QPoint at = QPoint(30, 30)) { QTest::mouseMove(list->viewport(), at); }
    void leave() { QTest::mouseMove(window.get(), QPoint(5, 190)); }

    std::unique_ptr<QWidget> window;
    QListWidget *list;
};

// QTRY_* report nothing to GoogleTest; this returns what it saw.
bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 5000);
}

bool shown(const Class1 &tip)
{
    return tip.tipWindow() && tip.tipWindow()->isVisible();
}

} // namespace

TEST(Class1, DefaultsAndPropertiesAreStoredWithoutAWindow)
{
    Class1 tip;
    EXPECT_EQ(tip.DelayTime(), 50);
    EXPECT_EQ(tip.VisibleTime(), 7000);
    EXPECT_FALSE(tip.Centered());
    EXPECT_EQ(tip.Style(), 0);
    tip.setBackColor(0xC0E0FF);
    tip.setTitle("Voz 1.wav");
    tip.setIcon(1);
    tip.setTipText("texto");
    tip.mvarCentered = true;
    EXPECT_TRUE(tip.Centered()) << "the field and the property are one";
    EXPECT_EQ(tip.BackColor(), 0xC0E0FF);
    EXPECT_EQ(tip.Title(), "Voz 1.wav");
    EXPECT_EQ(tip.tipWindow(), nullptr);
    tip.Destroy(); // before any Create: nothing
    tip.Destroy();
    EXPECT_FALSE(tip.Create(nullptr)) << "no control, no window";
    EXPECT_EQ(tip.tipWindow(), nullptr);
    tip.Show(10, 10);
}

TEST(Class1, ShowsAfterTheDelayAndHidesAfterItsTime)
{
    Host host;
    Class1 tip;
    tip.setDelayTime(400);
    tip.setVisibleTime(300);
    tip.setTitle("Voz 1.wav");
    tip.setIcon(1);
    tip.setTipText(" Tamaño: 5 Mb\r\n Fecha: 01/02/2024");
    tip.Create(host.list);
    ASSERT_NE(tip.tipWindow(), nullptr);
    EXPECT_FALSE(shown(tip));
    host.rest();
    QTest::qWait(100);
    EXPECT_FALSE(shown(tip)) << "not before the delay";
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    EXPECT_EQ(tip.tipWindow()->title(), "Voz 1.wav");
    EXPECT_EQ(tip.tipWindow()->icon(), 1);
    EXPECT_EQ(tip.tipWindow()->text(), " Tamaño: 5 Mb\r\n Fecha: 01/02/2024");
    ASSERT_TRUE(waitFor([&] { return !shown(tip); }));
    // Its time spent, it does not come back while the mouse stays.
    host.rest(QPoint(40, 40));
    QTest::qWait(600);
    EXPECT_FALSE(shown(tip));
    // Out and back in: it shows again.
    host.leave();
    host.rest();
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
}

TEST(Class1, HidesWhenTheMouseLeavesOrAButtonIsPressed)
{
    Host host;
    Class1 tip;
    tip.setDelayTime(10);
    tip.setTipText("texto");
    tip.Create(host.list);
    host.rest();
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    host.leave();
    EXPECT_FALSE(shown(tip));
    host.rest();
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    QTest::mousePress(host.list->viewport(), Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_FALSE(shown(tip));
    QTest::mouseRelease(host.list->viewport(), Qt::RightButton, {}, QPoint(30, 30));
}

TEST(Class1, ATipWithoutTextDoesNotShow)
{
    Host host;
    Class1 tip;
    tip.setDelayTime(10);
    tip.setTitle("solo título");
    tip.setIcon(1);
    tip.Create(host.list);
    host.rest();
    QTest::qWait(200);
    EXPECT_FALSE(shown(tip));
    tip.setTipText("ya tiene texto");
    host.rest(QPoint(35, 35));
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    tip.setTipText("");
    EXPECT_FALSE(shown(tip));
}

TEST(Class1, ACreateOverAControlWithTheMouseShowsAfterTheDelay)
{
    // A click re-creates the tip of the list under the mouse.
    Host host;
    host.rest();
    ASSERT_TRUE(host.list->underMouse());
    Class1 tip;
    tip.setDelayTime(10);
    tip.Create(host.list);
    tip.setTitle("Voz 2.wav");
    tip.setTipText("info");
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
}

TEST(Class1, CentredTipSitsUnderTheMiddleOfTheControl)
{
    for (int style : {0, 1}) {
        SCOPED_TRACE(style == 1 ? "balloon" : "rectangle");
        Host host;
        Class1 tip;
        tip.setDelayTime(10);
        tip.setStyle(style);
        tip.mvarCentered = true;
        tip.setTipText("Una línea algo larga para el globo\r\nY otra");
        tip.Create(host.list);
        host.rest(QPoint(10, 10));
        ASSERT_TRUE(waitFor([&] { return shown(tip); }));
        const TipWindow *w = tip.tipWindow();
        EXPECT_EQ(w->balloon(), style == 1);
        const QRect control(host.list->mapToGlobal(QPoint(0, 0)), host.list->size());
        EXPECT_EQ(w->anchor(), QPoint(control.center().x(), control.bottom() + 1));
        EXPECT_TRUE(w->pointsUp());
        EXPECT_LE(std::abs(w->geometry().center().x() - control.center().x()), 1);
        EXPECT_EQ(w->geometry().top(), control.bottom() + 1);
    }
}

TEST(Class1, CentredTipGoesAboveAControlAtTheBottomOfTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Host host(QPoint(100, screen.bottom() - 150));
    Class1 tip;
    tip.setDelayTime(10);
    tip.setStyle(1);
    tip.mvarCentered = true;
    tip.setTipText("1\r\n2\r\n3\r\n4\r\n5\r\n6");
    tip.Create(host.list);
    host.rest();
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    const QRect control(host.list->mapToGlobal(QPoint(0, 0)), host.list->size());
    EXPECT_FALSE(tip.tipWindow()->pointsUp());
    EXPECT_EQ(tip.tipWindow()->geometry().bottom() + 1, control.top());
    EXPECT_TRUE(screen.contains(tip.tipWindow()->geometry()));
}

TEST(Class1, TipThatIsNotCentredStartsAtTheMouse)
{
    Host host;
    Class1 tip;
    tip.setDelayTime(10);
    tip.setTipText("texto");
    tip.Create(host.list);
    host.rest(QPoint(60, 40));
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    const QPoint mouse = host.list->viewport()->mapToGlobal(QPoint(60, 40));
    EXPECT_EQ(tip.tipWindow()->geometry().left(), mouse.x());
    EXPECT_GT(tip.tipWindow()->geometry().top(), mouse.y()) << "below the pointer";
}

TEST(Class1, LiveWindowTakesTitleIconColoursAndTextAsTheirRulesSay)
{
    Host host;
    Class1 tip;
    tip.setBackColor(0xC0E0FF);
    tip.Create(host.list);
    TipWindow *w = tip.tipWindow();
    EXPECT_EQ(w->background(), QColor(0xFF, 0xE0, 0xC0)) << "&HBBGGRR";
    EXPECT_EQ(w->foreground(), QColor(Qt::black)) << "0 is a colour that reads on the fixed background";

    // A title with icon 0 on a live window: nothing until the next Create.
    tip.setTitle("Voz 1.wav");
    EXPECT_EQ(w->title(), "");
    tip.setIcon(2);
    EXPECT_EQ(w->title(), "Voz 1.wav");
    EXPECT_EQ(w->icon(), 2);
    // Icon 0 on a live window does not remove it.
    tip.setIcon(0);
    EXPECT_EQ(w->icon(), 2);
    tip.Create(host.list);
    w = tip.tipWindow();
    EXPECT_EQ(w->title(), "Voz 1.wav") << "a title with no icon after Create";
    EXPECT_EQ(w->icon(), 0);

    tip.setForeColor(0x0000FF);
    EXPECT_EQ(w->foreground(), QColor(255, 0, 0));
    tip.setBackColor(0xFFC0C0);
    EXPECT_EQ(w->background(), QColor(0xC0, 0xC0, 0xFF));

    // The text changes at once, also while shown.
    tip.setDelayTime(10);
    tip.setTipText("corto");
    tip.Create(host.list);
    w = tip.tipWindow();
    host.rest();
    ASSERT_TRUE(waitFor([&] { return shown(tip); }));
    const int before = w->width();
    tip.setTipText("un texto mucho más largo que el anterior, bastante más");
    EXPECT_EQ(w->text(), "un texto mucho más largo que el anterior, bastante más");
    EXPECT_TRUE(w->isVisible());
    EXPECT_GT(w->width(), before);
}

TEST(Class1, StyleCentringAndTimesTakeEffectAtTheNextCreate)
{
    Host host;
    Class1 tip;
    tip.Create(host.list);
    tip.setStyle(1);
    tip.setCentered(true);
    EXPECT_FALSE(tip.tipWindow()->balloon());
    EXPECT_FALSE(tip.tipWindow()->centred());
    QPointer<TipWindow> old = tip.tipWindow();
    tip.Create(host.list);
    EXPECT_TRUE(old.isNull()) << "the old window goes first";
    EXPECT_TRUE(tip.tipWindow()->balloon());
    EXPECT_TRUE(tip.tipWindow()->centred());
    tip.Destroy();
    EXPECT_EQ(tip.tipWindow(), nullptr);
    tip.Destroy();
    EXPECT_EQ(tip.Style(), 1) << "settings stay after Destroy";
}

TEST(Class1, ControlThatGoesTakesItsTipWithIt)
{
    auto host = std::make_unique<Host>();
    Class1 tip;
    tip.setTipText("x");
    tip.Create(host->list);
    QPointer<TipWindow> w = tip.tipWindow();
    delete host->list;
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(tip.tipWindow(), nullptr);
    tip.setTipText("y");
    tip.setTitle("t");
    tip.setIcon(1);
    tip.Destroy();
}

TEST(Class1, ShowDisplaysAtAPointAtOnce)
{
    Host host;
    Class1 tip;
    tip.setStyle(1);
    tip.setTipText("aquí");
    tip.Create(host.list);
    tip.Show(20, 30, host.list);
    ASSERT_TRUE(shown(tip));
    EXPECT_EQ(tip.tipWindow()->anchor(), host.list->mapToGlobal(QPoint(20, 30)));
}

TEST(Class1, AFixedColourFixesTheOtherSoTheTipReadsUnderADarkTheme)
{
    const DarkPalette dark;
    Host host;
    struct Case
    {
        quint32 back, fore;
    };
    for (const Case c : {Case{0xC0E0FF, 0}, Case{0xC0C0FF, 0}, Case{0xFFC0C0, 0}, Case{0, 0xFF}, Case{0, 0xFFFFFF}}) {
        Class1 tip;
        tip.setBackColor(c.back);
        tip.setForeColor(c.fore);
        tip.Create(host.list);
        EXPECT_EQ(unreadable(tip.tipWindow()->foreground(), tip.tipWindow()->background()), "") << c.back << c.fore;
    }
    // Neither fixed: the theme's own tooltip colours.
    Class1 tip;
    tip.Create(host.list);
    EXPECT_EQ(tip.tipWindow()->background(), tip.tipWindow()->palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(tip.tipWindow()->foreground(), tip.tipWindow()->palette().color(QPalette::ToolTipText));
}
