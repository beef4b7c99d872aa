#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QDialog;
class QTimer;
class QWidget;

// Answers the modal dialogs a run opens, as a person would: a file or folder
// dialog with the next queued path (or cancels it when none is queued or the
// queued answer is ""), any other dialog with its first button (or the button
// queued for it). What each dialog said is kept and, when asked, printed on
// stderr. Where several answerers live at once (a fixture's and one a step
// makes for itself), the one that has an answer queued for the kind of
// dialog shown answers it, and never two at once.
class DialogAnswerer final : public QObject
{
    Q_OBJECT

public:
    explicit DialogAnswerer(QObject *parent = nullptr);
    ~DialogAnswerer() override;

    void queuePath(const QString &hostPath);  // "" cancels that dialog
    void queueButton(int index);              // next message: press this button
    void setPrintMessages(bool print) { m_print = print; }

    QStringList messages() const { return m_messages; } // "title | text"
    int answered() const { return m_answered; }

Q_SIGNALS:
    // Right after a dialog was answered (benchmarks start their clock here).
    void dialogAnswered();

private:
    void tick();
    // Another live answerer has an answer queued for this dialog, or is
    // answering a dialog now.
    bool anotherAnswers(const QWidget *dialog) const;
    // Notes what the dialog says and returns the answer to give it.
    std::function<void()> answer(QWidget *dialog);

    QTimer *m_timer;
    QStringList m_paths;
    QList<int> m_buttons;
    QStringList m_messages;
    int m_answered = 0;
    bool m_print = false;
    bool m_pending = false; // an answer is on its way
};

// Runs `act` once on the first modal dialog that shows, as a person would.
void whenModal(std::function<void(QDialog *)> act);
