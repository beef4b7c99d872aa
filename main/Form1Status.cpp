#include "main/Form1.h"

void Form1::Iniciar_Clock()
{
}

void Form1::Lapso()
{
}

void Form1::AvisoMsg(const QString &texto, const QString &mensaje)
{
    Q_UNUSED(texto);
    Q_UNUSED(mensaje);
}

void Form1::mesg(const QString &s)
{
    Q_UNUSED(s);
}
