#include "windowmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace testsupport {

namespace {

const char* const childMark = "KESTROM_UNDER_WINDOW_MANAGER";

void stop(QProcess& p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished();
    }
}

}  // namespace

bool underWindowManager() { return qEnvironmentVariableIsSet(childMark); }

void runUnderWindowManager(const QString& filter)
{
    if (underWindowManager())
        GTEST_SKIP() << "this is the run under the window manager";
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (xvfb.isEmpty() || openbox.isEmpty())
        GTEST_SKIP() << "Xvfb or openbox is not installed (scripts/install-deps installs them)";

    // A display number of its own, which the server picks and tells.
    const QSize size = QGuiApplication::primaryScreen()->size();
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height())});
    ASSERT_TRUE(server.waitForStarted());
    QByteArray number;
    QElapsedTimer t;
    t.start();
    while (!number.contains('\n') && server.state() == QProcess::Running && t.elapsed() < 20000) {
        server.waitForReadyRead(200);
        number += server.readAllStandardOutput();
    }
    const QString display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    ASSERT_TRUE(number.contains('\n')) << "Xvfb told no display: " << server.readAllStandardError().toStdString();

    // Openbox runs its start-up command once it manages the screen.
    QTemporaryDir dir;
    const QString ready = dir.filePath(QStringLiteral("ready"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    QProcess manager;
    manager.setProcessEnvironment(env);
    manager.start(openbox, {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                            QStringLiteral("touch ") + ready});
    ASSERT_TRUE(manager.waitForStarted());
    t.restart();
    while (!QFileInfo::exists(ready) && manager.state() == QProcess::Running && t.elapsed() < 20000)
        QThread::msleep(20);
    const bool managing = QFileInfo::exists(ready);

    QProcess child;
    if (managing) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QString::fromLatin1(childMark), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
        if (!child.waitForFinished(240000))
            child.kill();
    }
    stop(manager);
    stop(server);
    ASSERT_TRUE(managing) << "openbox did not start: " << manager.readAllStandardError().toStdString();
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ]")) && !output.contains(QStringLiteral("[  PASSED  ] 0 tests")))
        << output.toStdString();
}

QRect frameOf(const QWidget* window)
{
    return window->windowHandle() ? window->windowHandle()->frameGeometry() : window->frameGeometry();
}

void waitUntilFramed(QWidget* window)
{
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    if (!underWindowManager())
        return;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->windowHandle()->frameMargins().isNull(); }, 5000))
        << window->objectName().toStdString() << " never framed";
    // Then the window may move once more to take its place for that frame:
    // it has when it stays where it is for a while.
    QRect last = frameOf(window);
    for (int still = 0, looks = 0; still < 3 && looks < 40; ++looks) {
        QTest::qWait(100);
        const QRect now = frameOf(window);
        still = now == last ? still + 1 : 0;
        last = now;
    }
}

}  // namespace testsupport
