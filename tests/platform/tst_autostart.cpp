#include "TestRegistry.h"
#include "platform/Autostart.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Every test gets a configuration folder of its own.
class TestAutostart : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;

    static QString entryText()
    {
        QFile file(Autostart::entryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", m_home->path().toUtf8());
    }

    void anEntryStartsThisProgramUntilSwitchedOff()
    {
        QVERIFY(Autostart::entryPath().startsWith(m_home->path() + u"/autostart/"_s));
        QVERIFY(!Autostart::isEnabled());
        QVERIFY(Autostart::setEnabled(true));
        QVERIFY(Autostart::isEnabled());
        const QString text = entryText();
        QVERIFY(text.startsWith(u"[Desktop Entry]\nType=Application\n"_s));
        QVERIFY(text.contains(
            u"\nExec="_s + Autostart::execValue(QCoreApplication::applicationFilePath()) + u'\n'));
        QVERIFY(Autostart::setEnabled(false));
        QVERIFY(!QFile::exists(Autostart::entryPath()));
        QVERIFY(Autostart::setEnabled(false)); // nothing to remove is no failure
    }

    // Desktops switch an entry off in their own settings without removing it.
    void anEntryTheDesktopSwitchedOffIsOff_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("hidden") << u"Hidden=true"_s;
        QTest::newRow("gnome") << u"X-GNOME-Autostart-enabled=false"_s;
    }
    void anEntryTheDesktopSwitchedOffIsOff()
    {
        QFETCH(QString, line);
        QVERIFY(Autostart::setEnabled(true));
        QFile file(Autostart::entryPath());
        QVERIFY(file.open(QIODevice::Append));
        file.write(line.toUtf8() + '\n');
        file.close();
        QVERIFY(!Autostart::isEnabled());
        QVERIFY(Autostart::setEnabled(true)); // turning it on again writes a whole entry
        QVERIFY(Autostart::isEnabled());
    }

    void anUnwritableFolderIsReported()
    {
        QFile blocker(m_home->path() + u"/autostart"_s); // a file where the folder belongs
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!Autostart::setEnabled(true));
        QVERIFY(!Autostart::isEnabled());
    }

    void execValuesAreQuotedOnlyWhenNeeded_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << u"/usr/bin/shiguren"_s << u"/usr/bin/shiguren"_s;
        QTest::newRow("space") << u"/home/a b/shiguren"_s << u"\"/home/a b/shiguren\""_s;
        // Quoted ", `, $ and \ take a backslash, and the string's own escaping doubles it.
        QTest::newRow("dollar") << u"/opt/$x/s"_s << u"\"/opt/\\\\$x/s\""_s;
        QTest::newRow("backslash") << u"/opt/a\\b"_s << u"\"/opt/a\\\\\\\\b\""_s;
    }
    void execValuesAreQuotedOnlyWhenNeeded()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(Autostart::execValue(program), exec);
    }
};

SHIGUREN_GUILESS_TEST(TestAutostart)

#include "tst_autostart.moc"
