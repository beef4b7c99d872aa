#include "main/Form1.h"

#include "main/Peers.h"
#include "services/Module2.h"

void Form1::InfoAudio(const QString &t)
{
    Module2::InfoArchivo = QStringLiteral("No tiene información");
    if (t != QStringLiteral("wav") && t != QStringLiteral("mp3"))
        return;
    if (const std::optional<QString> text = Peers::audioInfo(t, Buscado))
        Module2::InfoArchivo = *text;
}

void Form1::PlayAudio(const QString &audio)
{
    Peers::playAudio(audio);
}
