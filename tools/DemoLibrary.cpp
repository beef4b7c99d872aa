// Writes a small demo library: a few projects with real WAV files, some
// used, some not used by any project, and some used but missing.
//   velmar_demo DIR     (prints the projects folder it made)

#include "platform/DriveMap.h"
#include "tests/support/Fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmar_demo DIR\n");
        return 2;
    }
    const QString root = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath(QStringLiteral("Proyectos"));
    QDir().mkpath(root);
    auto win = [](const QString &host) { return DriveMap::instance().toWindows(host); };
    auto wav = [&](const QString &rel, int seconds, int channels = 2) {
        const QString p = root + u'/' + rel;
        Fixtures::writeFile(p, Fixtures::wavBytes(44100, channels, 16, 44100 * seconds, Fixtures::WavFormat::Pcm, true));
        return win(p);
    };

    const QString bajo = wav(QStringLiteral("Audio/Bajo 01.wav"), 2);
    const QString bateria = wav(QStringLiteral("Audio/Batería toma 3.wav"), 3);
    const QString voz = wav(QStringLiteral("Audio/Voz.01.wav"), 2, 1);
    const QString guitarra = wav(QStringLiteral("Audio/Guitarra.wav"), 1);
    wav(QStringLiteral("Audio/Voz toma descartada.wav"), 1, 1);
    wav(QStringLiteral("Audio/Bajo 01 copia.wav"), 2);
    wav(QStringLiteral("Takes viejas/Toma 7.wav"), 1);
    const QString perdida = win(root + QStringLiteral("/Audio/Coros (perdido).wav"));
    // The peak and cache files the workstation keeps next to the audio.
    Fixtures::writeFile(root + QStringLiteral("/Audio/Bajo 01.hdp"), QByteArray(512, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Audio/Bajo 01.h2"), QByteArray(9000, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Audio/Batería toma 3.h2"), QByteArray(14000, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Audio/Batería toma 3.hdp"), QByteArray(700, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Audio/Voz.01.hdp"), QByteArray(400, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Takes viejas/Toma 7.h2"), QByteArray(6000, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Takes viejas/Toma 7.hdp"), QByteArray(300, '\x05'));
    Fixtures::writeFile(root + QStringLiteral("/Canción.vi~"), QByteArray(2000, '\x05'));

    Fixtures::writeFile(root + QStringLiteral("/Canción.vip"),
                        Fixtures::vipBytes({bajo, bateria, voz, perdida}));
    Fixtures::writeFile(root + QStringLiteral("/Canción_BAK.vip"), Fixtures::vipBytes({bajo, bateria}));
    Fixtures::writeFile(root + QStringLiteral("/Maqueta.vip"), Fixtures::vipBytes({guitarra, bajo}));
    Fixtures::VipOptions midi;
    midi.marker = false;
    Fixtures::writeFile(root + QStringLiteral("/Solo MIDI.vip"), Fixtures::vipBytes({}, midi));

    std::printf("%s\n", QFile::encodeName(root).constData());
    return 0;
}
