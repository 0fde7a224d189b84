#include "TestRegistry.h"
#include "platform/AppInfo.h"

#include <QProcess>

// The command line as users meet it: the installed program, run where no display is.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString version =
            u"Shiguren %1 (%2)\n"_qs.arg(AppInfo::version(), AppInfo::buildNumber());
        QTest::newRow("help") << QStringList{u"--help"_qs} << 0 << u"使い方: shiguren"_qs
                              << QString();
        QTest::newRow("short help") << QStringList{u"-h"_qs} << 0 << u"--version"_qs << QString();
        QTest::newRow("version") << QStringList{u"--version"_qs} << 0 << version << QString();
        QTest::newRow("Qt's options are passed over")
            << QStringList{u"-platform"_qs, u"offscreen"_qs, u"--style=Fusion"_qs, u"-reverse"_qs,
                           u"-v"_qs}
            << 0 << version << QString();
        QTest::newRow("unknown option")
            << QStringList{u"--rain"_qs} << 2 << QString() << u"不明なオプションです: rain"_qs;
        QTest::newRow("stray argument")
            << QStringList{u"Tokyo"_qs} << 2 << QString() << u"不明な引数です: Tokyo"_qs;
        QTest::newRow("Qt option without its value")
            << QStringList{u"--help"_qs, u"-style"_qs} << 2 << QString()
            << u"オプション -style には値が必要です。"_qs;
    }
    void answersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program;
        QVERIFY(run(program, arguments));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(program.readAllStandardError());
        // What is asked for goes to stdout, a refusal to stderr, never both.
        if (exitCode == 0) {
            QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
            QVERIFY2(stdErr.isEmpty(), qPrintable(stdErr));
        } else {
            QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
            QVERIFY(stdErr.contains(u"使い方は shiguren --help で表示できます。"));
            QVERIFY(stdOut.isEmpty());
        }
        if (out.startsWith(u"Shiguren"))
            QCOMPARE(stdOut, out);
    }

    // Anything else starts the program, so its Qt options reach Qt: a platform that does not
    // exist stops it there, naming the platform, instead of being refused as ours.
    void otherArgumentsReachQt()
    {
        QProcess program;
        QVERIFY(run(program, {u"-platform"_qs, u"nonexistent"_qs}));
        QVERIFY(program.exitStatus() == QProcess::CrashExit || program.exitCode() != 2);
        QVERIFY(program.readAllStandardError().contains("nonexistent"));
    }

private:
    static bool run(QProcess& program, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_qs);
        environment.remove(u"WAYLAND_DISPLAY"_qs);
        environment.insert(u"DISPLAY"_qs, QString());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(SHIGUREN_EXECUTABLE), arguments);
        return program.waitForFinished(60000);
    }
};

SHIGUREN_GUILESS_TEST(TestCommandLine)
#include "tst_commandline.moc"
