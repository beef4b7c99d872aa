#include "services/BuscarPaths.h"

#include <gtest/gtest.h>

using namespace Buscar;

TEST(BuscarPaths, FolderPart)
{
    EXPECT_EQ(Obtener_Nombre_Path("C:\\Audio\\Take 1.wav", true), "C:\\Audio\\");
    EXPECT_EQ(Obtener_Nombre_Path("C:\\Audio\\Take 1.wav", false), "C:\\Audio");
    EXPECT_EQ(Obtener_Nombre_Path("12 --> D:\\Proyectos\\Tema.vip", true), "D:\\Proyectos\\");
    EXPECT_EQ(Obtener_Nombre_Path("3 --> C:\\a\\b.wav", false), "C:\\a");
    EXPECT_EQ(Obtener_Nombre_Path("C:\\x.wav", true), "C:\\");
    EXPECT_EQ(Obtener_Nombre_Path("C:\\x.wav", false), "C:");
    EXPECT_EQ(Obtener_Nombre_Path("\\\\Server\\Share\\a.wav", true), "\\\\Server\\Share\\");
    EXPECT_EQ(Obtener_Nombre_Path("no slash", true), "");
}

TEST(BuscarPaths, FileTitle)
{
    EXPECT_EQ(Obtener_Nombre_Archivo("C:\\A\\Take 1.WAV"), "Take 1.WAV");
    EXPECT_EQ(Obtener_Nombre_Archivo("3 --> C:\\A\\b.vip"), "b.vip");
    EXPECT_EQ(Obtener_Nombre_Archivo("C:\\A\\"), "");
    EXPECT_EQ(Obtener_Nombre_Archivo(""), "");
    EXPECT_EQ(Obtener_Nombre_Archivo("C:\\A\\*.wav"), "");
    // Brackets are ordinary characters here: such projects must be found.
    EXPECT_EQ(Obtener_Nombre_Archivo("D:\\P\\Mezcla [v2].vip"), "Mezcla [v2].vip");
    EXPECT_EQ(Obtener_Nombre_Archivo("C:file.wav"), "file.wav");
    // Read up to the first NUL, as a buffer filled by the platform would be.
    EXPECT_EQ(Obtener_Nombre_Archivo(QString("C:\\A\\b.wav") + QChar(0) + "\\junk"), "b.wav");
    EXPECT_EQ(Obtener_Extension(QString("C:\\A\\b.wav") + QChar(0) + ".junk"), "wav");
    EXPECT_EQ(Obtener_Nombre_Archivo("C:\\" + QString(255, 'a')), "");
}

TEST(BuscarPaths, VipPathAndExtension)
{
    EXPECT_EQ(Obtener_VipPath("12 --> D:\\Proyectos\\Tema.vip"), "D:\\Proyectos\\Tema.vip");
    EXPECT_EQ(Obtener_VipPath("D:\\Proyectos\\Tema.vip"), "D:\\Proyectos\\Tema.vip");
    EXPECT_EQ(Obtener_Extension("C:\\A\\Take 1.WAV"), "WAV");
    EXPECT_EQ(Obtener_Extension("C:\\A.B\\file"), "");
    EXPECT_EQ(Obtener_Extension("C:\\dir.x\\file"), "");
    EXPECT_EQ(Obtener_Extension("a.b.c"), "c");
    EXPECT_EQ(Obtener_Extension("name."), "");
    EXPECT_EQ(Obtener_Extension("C:\\a\\file.a b"), "");
}
