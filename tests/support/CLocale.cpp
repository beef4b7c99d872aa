#include "tests/support/CLocale.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>
#include <QProcess>

namespace CLocale {

Run underCLocale(QString *output)
{
    if (QLocale::system().name() == QStringLiteral("C"))
        return Run::Here;
    if (qEnvironmentVariableIsSet("VELMAR_C_LOCALE_CHILD")) {
        *output = QStringLiteral("LC_ALL=C did not give the C locale: ") + QLocale::system().name();
        return Run::Failed;
    }
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QString::fromLatin1(info->test_suite_name()) + u'.' + QString::fromLatin1(info->name());
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("VELMAR_C_LOCALE_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
    if (!child.waitForStarted(10000) || !child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished(5000);
        *output = QStringLiteral("the child did not run: ") + child.errorString();
        return Run::Failed;
    }
    *output = QString::fromLocal8Bit(child.readAll());
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0
        || !output->contains(QStringLiteral("[  PASSED  ] 1 test")))
        return Run::Failed;
    return Run::Done;
}

} // namespace CLocale
