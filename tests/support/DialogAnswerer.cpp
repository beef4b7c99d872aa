#include "tests/support/DialogAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
std::vector<const DialogAnswerer *> &liveAnswerers()
{
    static std::vector<const DialogAnswerer *> live;
    return live;
}
} // namespace

DialogAnswerer::DialogAnswerer(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(15);
    connect(m_timer, &QTimer::timeout, this, &DialogAnswerer::tick);
    m_timer->start();
    liveAnswerers().push_back(this);
}

DialogAnswerer::~DialogAnswerer()
{
    auto &live = liveAnswerers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

bool DialogAnswerer::anotherAnswers(const QWidget *dialog) const
{
    const bool fileDialog = qobject_cast<const QFileDialog *>(dialog) != nullptr;
    for (const DialogAnswerer *other : liveAnswerers()) {
        if (other == this)
            continue;
        if (other->m_pending)
            return true;
        if (fileDialog ? m_paths.isEmpty() && !other->m_paths.isEmpty()
                       : m_buttons.isEmpty() && !other->m_buttons.isEmpty())
            return true;
    }
    return false;
}

void DialogAnswerer::queuePath(const QString &hostPath)
{
    m_paths << hostPath;
}

void DialogAnswerer::queueButton(int index)
{
    m_buttons << index;
}

void DialogAnswerer::tick()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w) {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<QDialog *>(top); d && d->isVisible() && d->isModal()) {
                w = d;
                break;
            }
    }
    if (m_pending || !w || !w->isVisible() || anotherAnswers(w))
        return;
    ++m_answered;
    // The answer is given from the event loop, not from this tick: a dialog
    // that opens another one as it closes (a folder dialog told of a folder
    // that does not exist) runs that one inside the answer, and a timer
    // whose tick is still running never ticks again.
    m_pending = true;
    std::function<void()> act = answer(w);
    QMetaObject::invokeMethod(
        this,
        [this, act = std::move(act), guard = QPointer<QWidget>(w)] {
            m_pending = false;
            if (guard)
                act();
            Q_EMIT dialogAnswered();
        },
        Qt::QueuedConnection);
}

std::function<void()> DialogAnswerer::answer(QWidget *dialog)
{
    if (auto *fd = qobject_cast<QFileDialog *>(dialog)) {
        const QString path = m_paths.isEmpty() ? QString() : m_paths.takeFirst();
        if (path.isEmpty())
            return [fd] { fd->reject(); };
        const QFileInfo fi(path);
        fd->setDirectory(fd->fileMode() == QFileDialog::Directory ? fi.absoluteFilePath() : fi.absolutePath());
        // Typed into the name box as a person would: selectFile() alone does
        // not take before the folder's listing has loaded.
        if (auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(fi.absoluteFilePath());
        else
            fd->selectFile(fi.absoluteFilePath());
        return [fd] { QMetaObject::invokeMethod(fd, "accept"); };
    }
    QString text;
    for (QLabel *l : dialog->findChildren<QLabel *>())
        if (!l->text().isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + l->text();
    const QString message = dialog->windowTitle() + QStringLiteral(" | ") + text;
    m_messages << message;
    if (m_print)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    const int want = m_buttons.isEmpty() ? 0 : m_buttons.takeFirst();
    QList<QAbstractButton *> buttons;
    if (auto *mb = qobject_cast<QMessageBox *>(dialog))
        buttons = mb->buttons();
    else
        for (QPushButton *b : dialog->findChildren<QPushButton *>())
            buttons << b;
    // Buttons carrying an "index" property are ordered by it.
    std::stable_sort(buttons.begin(), buttons.end(), [](QAbstractButton *a, QAbstractButton *b) {
        return a->property("index").toInt() < b->property("index").toInt();
    });
    if (want >= 0 && want < buttons.size())
        return [b = QPointer<QAbstractButton>(buttons[want])] {
            if (b)
                b->click();
        };
    return [dialog] {
        if (auto *d = qobject_cast<QDialog *>(dialog))
            d->reject();
    };
}

void whenModal(std::function<void(QDialog *)> act)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(d);
    });
    timer->start();
}
