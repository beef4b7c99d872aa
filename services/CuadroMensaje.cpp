#include "services/CuadroMensaje.h"

#include "services/Module2.h"
#include "services/WinColor.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Beyond this the text wraps at its blanks rather than widening the dialog.
constexpr int kMaxTextWidth = 560;

} // namespace

CuadroMensaje::CuadroMensaje(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CuadroMensaje"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("CuadroMensajeImagen"));
    m_picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_picture->hide();
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("CuadroMensajeTexto"));
    // Paths and names are shown as they are, never read as markup.
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMaximumWidth(kMaxTextWidth);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_buttonRow = new QWidget(this);
    auto *row = new QHBoxLayout(m_buttonRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(m_picture);
    top->addWidget(m_text, 1);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addWidget(m_buttonRow);
    all->setSizeConstraint(QLayout::SetFixedSize);
}

void CuadroMensaje::setPresentation(int first, int second)
{
    m_presentation[0] = first;
    m_presentation[1] = second;
}

void CuadroMensaje::addButton(quint8 index, const QString &caption, int value1, int value2)
{
    Q_UNUSED(value1);
    Q_UNUSED(value2);
    if (QPushButton *b = m_buttons.value(index)) {
        b->setText(caption);
        return;
    }
    auto *b = new QPushButton(caption, m_buttonRow);
    b->setObjectName(QStringLiteral("Boton%1").arg(index));
    b->setProperty("index", int(index));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, i = int(index)] {
        m_answer = i;
        accept();
    });
    m_buttons.insert(index, b);
    // The row is stretch, buttons in index order, stretch.
    auto *row = static_cast<QHBoxLayout *>(m_buttonRow->layout());
    row->insertWidget(1 + int(std::distance(m_buttons.begin(), m_buttons.find(index))), b);
}

int CuadroMensaje::lastIndex() const
{
    return m_buttons.isEmpty() ? -1 : m_buttons.lastKey();
}

int CuadroMensaje::showAndWait(const QString &text, const QString &title, const Look &look)
{
    setWindowTitle(title);
    m_text->setText(text);
    m_text->setFont(QFont(look.textFont, look.textSize));
    // A wrapping label asks for little width: give it its longest line, up to
    // the limit, so a short text keeps to one line.
    const QFontMetrics fm(m_text->font());
    int widest = 0;
    for (const QString &line : text.split(u'\n'))
        widest = qMax(widest, fm.horizontalAdvance(line));
    m_text->setMinimumWidth(qMin(widest + 2, kMaxTextWidth));
    for (QPushButton *b : std::as_const(m_buttons))
        b->setFont(QFont(look.buttonFont, look.buttonSize));
    // A fixed text colour fixes the background under it, and a fixed
    // background the text on it (0 is the system's colour).
    setPalette(QPalette());
    setAutoFillBackground(false);
    m_text->setPalette(QPalette());
    if (look.backColor != 0 || look.textColor != 0) {
        const QColor text = look.textColor != 0 ? colorFromBgr(look.textColor) : QColor();
        const QColor back = look.backColor != 0 ? colorFromBgr(look.backColor) : backUnder(text);
        fixColours(this, back);
        if (text.isValid())
            fixColours(m_text, back, text);
    }
    m_picture->setPixmap(look.picture);
    m_picture->setVisible(!look.picture.isNull());

    // The first button is the one Enter presses, as in the system's boxes.
    if (!m_buttons.isEmpty()) {
        QPushButton *first = m_buttons.first();
        first->setDefault(true);
        first->setFocus();
    }
    // Anything but a button (Escape, the close box) leaves the last index.
    m_answer = lastIndex();
    exec();
    return m_answer;
}

int CuadroMensaje::showAndWait(const QString &text, const QString &title)
{
    return showAndWait(text, title, Look());
}

int CuadroMensaje::ask(const QString &title, const QString &text, const QStringList &buttons, QWidget *parent)
{
    CuadroMensaje box(parent);
    for (qsizetype i = 0; i < buttons.size() && i <= 255; ++i)
        box.addButton(quint8(i), buttons[i]);
    Look look;
    look.textColor = 0;
    return box.showAndWait(text, title, look);
}

namespace Module2 {

CuadroMensaje &createCuadro(QWidget *parent)
{
    releaseCuadro();
    Cuadro = new CuadroMensaje(parent);
    return *Cuadro;
}

void releaseCuadro()
{
    delete Cuadro.data();
    Cuadro = nullptr;
}

} // namespace Module2
