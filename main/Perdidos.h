#pragma once

#include "services/SingleWindow.h"

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;

// The missing-files window: the used files that are not on disk, under the
// header of each project, with a summary, a transparency bar and a button
// that saves the list as a log. Always in front of the other windows.
class Perdidos final : public QWidget
{
    Q_OBJECT

public:
    Perdidos();
    ~Perdidos() override;

    void Form_Load();
    // Writes the log to `file` (a Windows path); "" does nothing. Returns
    // false with the reason in *error when the file could not be written.
    bool SalvarLog(const QString &file, QString *error = nullptr);

    void cmdLog_Click();
    void cmdSalir_Click();
    void HScroll3_Scroll();

    // Window position in twips, as stored.
    void savePosition();
    void restorePosition();

    QListWidget *ListPerdidos = nullptr;
    QLabel *TextEncontrados = nullptr;
    QScrollBar *HScroll3 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdLog = nullptr;
    QPushButton *cmdSalir = nullptr;

    // The design text of the summary, shown until a search sets it.
    static QString designSummary();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void GuardarYCerrar();
    bool m_closing = false;
};

// The one missing-files window, created hidden on first use.
inline Perdidos &perdidos() { return SingleWindow<Perdidos>::get(); }
inline bool perdidosLoaded() { return SingleWindow<Perdidos>::loaded(); }
// Saves its settings and destroys it (the list survives in Module2::TablaPerdidos).
inline void unloadPerdidos() { SingleWindow<Perdidos>::close(); }
