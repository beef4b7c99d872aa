#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;

// The restore window: reads a deletion log and copies each backed-up file
// from the log's folder back to the folder it came from. Always in front.
class Recuperar final : public QWidget
{
    Q_OBJECT

public:
    Recuperar();
    ~Recuperar() override;

    void Form_Load();
    void cmdOpen_Click();
    void cmdRecuperar_Click();
    void HScroll6_Scroll();

    // Reads a log (a Windows path) as cmdOpen does after its dialog.
    void leerLog(const QString &file);

    struct Outcome
    {
        int copied = 0;
        int failed = 0;
        int declined = 0;
        QStringList problems;
    };
    const Outcome &lastOutcome() const { return m_outcome; }

    QPushButton *cmdOpen = nullptr;
    QListWidget *ListRecuperar = nullptr;
    QPushButton *cmdRecuperar = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *LabelCerrar = nullptr;
    QScrollBar *HScroll6 = nullptr;
    QLabel *Label2 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void RecuperarArchivos();
    void savePosition();

    QString m_logFolder; // Windows path of the opened log's folder
    Outcome m_outcome;
    bool m_closing = false;
};

Recuperar &recuperar();
bool recuperarLoaded();
void unloadRecuperar();
