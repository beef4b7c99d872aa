#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace OrdinaryUser {

Run asOrdinaryUser(QString *output)
{
    if (::geteuid() != 0)
        return Run::Here;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        *output = QStringLiteral("root reads every file and setpriv is missing");
        return Run::Skipped;
    }
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QString::fromLatin1(info->test_suite_name()) + u'.' + QString::fromLatin1(info->name());

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The child makes its own temporary folders; the parent's are root's.
    env.remove(QStringLiteral("VELMAR_KEEP_XDG"));
    env.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(QStringLiteral("/tmp"));
    child.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                          QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                          QStringLiteral("--gtest_filter=") + filter});
    if (!child.waitForStarted(10000) || !child.waitForFinished(300000)) {
        child.kill();
        *output = QStringLiteral("the child did not run: ") + child.errorString();
        return Run::Failed;
    }
    *output = QString::fromLocal8Bit(child.readAll());
    if (output->contains(QStringLiteral("setpriv:")) && child.exitCode() != 0) {
        *output = QStringLiteral("cannot become an ordinary user: ") + *output;
        return Run::Skipped;
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return Run::Failed;
    if (!output->contains(QStringLiteral("[  PASSED  ] 1 test")))
        return Run::Failed;
    return Run::Done;
}

} // namespace OrdinaryUser
