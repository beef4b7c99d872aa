#include "cleanup/Form2.h"
#include "cleanup/ParaBorrar.h"
#include "main/Form1.h"
#include "platform/Ask.h"
#include "platform/Settings.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

// The deletion and associated-files windows under the keyboard and the
// mouse, as a user meets them.
class SmallWindowKeys : public WindowTest
{
protected:
    // Escape pressed where the keyboard is, with the window active.
    static void escape(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ParaBorrar &deletionWindow(const QStringList &lines)
    {
        std::vector<FileRecord> records;
        for (const QString &l : lines)
            records.push_back(Fixtures::recordOfWindows(l));
        form1().setUnusedList(lines, records);
        ParaBorrar &w = paraBorrar();
        w.show();
        return w;
    }

    // The associated-files window over a folder holding peak files.
    Form2 &associated()
    {
        for (const char *f : {"A/a.h2", "A/b.hdp", "A/B/c.h2"})
            write(QString::fromLatin1(f), "xxxx");
        Form2 &w = form2();
        w.show();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(host("A"))});
        w.ListAsociados_OLEDragDrop(&data);
        return w;
    }
};

} // namespace

TEST_F(SmallWindowKeys, EscapeClosesTheDeletionWindowAsSalirDoesButNotDuringARun)
{
    QStringList items;
    for (int i = 0; i < 4; ++i)
        items << put(QString("P/t%1.wav").arg(i), "x");
    ParaBorrar &w = deletionWindow(items);
    for (int i = 0; i < 4; ++i)
        w.ListBorrar->item(i)->setSelected(true);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    bool stayed = false;
    QTimer::singleShot(0, &w, [&] {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
        stayed = paraBorrarLoaded() && w.isVisible() && w.EstaBorrando;
        w.Cancela->click();
    });
    DialogAnswerer answer;
    // The deletion for good is agreed to, as a user who means it.
    Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 0; });
    w.cmdHecho->click();
    EXPECT_TRUE(stayed) << "a run walks the window's list: it stays";

    Settings::remove("ParaBorrar_Left");
    escape(&w);
    EXPECT_FALSE(paraBorrarLoaded());
    EXPECT_TRUE(Settings::contains("ParaBorrar_Left")) << "its options saved, as Salir saves them";
}

TEST_F(SmallWindowKeys, TheAssociatedListTakesTheKeysUnderTheMouseAndEscapeClosesTheWindow)
{
    Form2 &w = associated();
    ASSERT_GT(w.ListAsociados->count(), 3);
    w.Salir->setFocus(); // the keyboard was last elsewhere in the window
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    // The mouse moves over the list, no button held, no click.
    const QPoint at = w.ListAsociados->visualItemRect(w.ListAsociados->item(1)).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w.ListAsociados->viewport()->mapToGlobal(QPointF(at)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListAsociados->viewport(), &move);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    ASSERT_EQ(QApplication::focusWidget(), w.ListAsociados);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    int files = 0;
    for (int i = 0; i < w.ListAsociados->count(); ++i)
        files += w.ListAsociados->item(i)->isSelected() ? 1 : 0;
    EXPECT_EQ(files, 3) << "Ctrl+A selected every file line";

    Settings::remove("Form2_Left");
    escape(&w);
    EXPECT_FALSE(form2Loaded());
    EXPECT_TRUE(Settings::contains("Form2_Left")) << "saved as Salir's close saves";
}
