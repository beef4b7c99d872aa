#include "main/Form1.h"

void Form1::AbrirRuta(const QString &ruta)
{
    Q_UNUSED(ruta);
}
