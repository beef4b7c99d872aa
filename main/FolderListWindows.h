#pragma once

#include "platform/Settings.h"
#include "services/SingleWindow.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

// One window of a stored folder list, always in front of the others: add a
// folder with the folder dialog, remove one with a double click, save and
// close with `Salir`.
class FolderListWindow : public QWidget
{
    Q_OBJECT

public:
    void ElegirCArpeta_Click();
    void List_DblClick();
    void Salir_Click();

    QListWidget *list() const { return m_list; }
    QPushButton *ElegirCArpeta = nullptr;
    QPushButton *Salir = nullptr;
    QPlainTextEdit *AvisoNoBorrados = nullptr;

protected:
    struct Config
    {
        QString objectName;
        QString caption;
        QString listName;
        Settings::PlaceKeys place; // nothing stored: beside the main window
        QString help;
        bool saveOnAdd = false;
    };
    explicit FolderListWindow(const Config &config);
    void closeEvent(QCloseEvent *event) override;
    virtual void loadList() = 0;
    virtual void storeList() = 0;
    QVBoxLayout *layoutBox() const;

    // False, and the user told, while the list shown is not the stored one
    // (m_unread says why): a list read from a store that could not be read
    // as written is never written back over it, nor over the file once
    // mended. `what` names the list ("La lista de carpetas de búsqueda").
    bool mayStore(const QString &what) const;

    Config m_config;
    QListWidget *m_list = nullptr;
    bool m_closing = false;
    QString m_unread;
};

class UnidadesBuscar final : public FolderListWindow
{
    Q_OBJECT

public:
    UnidadesBuscar();
    ~UnidadesBuscar() override;
    QListWidget *ListBusca = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;

protected:
    void loadList() override;
    void storeList() override;
};

class FormNoBorrar final : public FolderListWindow
{
    Q_OBJECT

public:
    FormNoBorrar();
    ~FormNoBorrar() override;
    QListWidget *List1 = nullptr;
    QLabel *Label2 = nullptr;

    // Reloads List1 from the store.
    void LeerRutasNoBorrados();

protected:
    void loadList() override;
    void storeList() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

inline UnidadesBuscar &unidadesBuscar() { return SingleWindow<UnidadesBuscar>::get(); }
inline bool unidadesBuscarLoaded() { return SingleWindow<UnidadesBuscar>::loaded(); }
inline void unloadUnidadesBuscar() { SingleWindow<UnidadesBuscar>::close(); }
inline FormNoBorrar &formNoBorrar() { return SingleWindow<FormNoBorrar>::get(); }
inline bool formNoBorrarLoaded() { return SingleWindow<FormNoBorrar>::loaded(); }
inline void unloadFormNoBorrar() { SingleWindow<FormNoBorrar>::close(); }
