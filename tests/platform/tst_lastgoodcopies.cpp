#include "LogCapture.h"
#include "TestRegistry.h"
#include "platform/LastGoodCopies.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kFetched(QDate(2025, 8, 29), QTime(5, 31, 7, 250), QTimeZone::utc());

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestLastGoodCopies : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void savedCopiesReadBackWholeAndReplaceTheOldOne()
    {
        QTemporaryDir dir;
        const LastGoodCopies copies(dir.filePath(QStringLiteral("lastgood"))); // made on save
        const QByteArray body("[{\"basetime\":\"20250829053000\"}]\n\x00\xff", 34);
        copies.save(QStringLiteral("nowc/targetTimes_N1.json"), body, kFetched);
        std::optional<LastGoodCopies::Copy> copy =
            copies.load(QStringLiteral("nowc/targetTimes_N1.json"));
        QVERIFY(copy);
        QCOMPARE(copy->bytes, body);
        QCOMPARE(copy->fetchedAt, kFetched);

        copies.save(QStringLiteral("nowc/targetTimes_N1.json"), "[]", kFetched.addSecs(60));
        copy = copies.load(QStringLiteral("nowc/targetTimes_N1.json"));
        QVERIFY(copy);
        QCOMPARE(copy->bytes, QByteArray("[]"));
        QCOMPARE(copy->fetchedAt, kFetched.addSecs(60));
        // Written through a temporary file renamed over the copy: nothing else is left.
        QCOMPARE(QDir(copies.directory()).entryList(QDir::Files).size(), 1);
        QVERIFY(!copies.load(QStringLiteral("never saved")));
    }

    void keysCannotLeaveTheDirectory_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("parent") << QStringLiteral("../escape");
        QTest::newRow("dot dot") << QStringLiteral("..");
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd");
        QTest::newRow("backslash") << QStringLiteral("..\\up");
        QTest::newRow("empty") << QString();
    }
    void keysCannotLeaveTheDirectory()
    {
        QFETCH(QString, key);
        QTemporaryDir dir;
        const LastGoodCopies copies(dir.filePath(QStringLiteral("inner")));
        const QFileInfo file(copies.filePath(key));
        QCOMPARE(file.absolutePath(), QDir(copies.directory()).absolutePath());
        copies.save(key, "x", kFetched);
        QVERIFY(copies.load(key));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("inner")});
    }

    // A copy that does not read back whole counts as absent, and the log says why.
    void damagedCopiesAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no header line") << QByteArray("shiguren-copy 1 1756445467000 2");
        QTest::newRow("another format") << QByteArray("\x89PNG\r\n\x1a\n");
        QTest::newRow("newer version") << QByteArray("shiguren-copy 2 1756445467000 2\n[]");
        QTest::newRow("truncated body") << QByteArray("shiguren-copy 1 1756445467000 10\n[{\"a\"");
        QTest::newRow("longer body") << QByteArray("shiguren-copy 1 1756445467000 1\n[]");
        QTest::newRow("negative size") << QByteArray("shiguren-copy 1 1756445467000 -2\n[]");
        QTest::newRow("time not a number") << QByteArray("shiguren-copy 1 noon 2\n[]");
        QTest::newRow("extra field") << QByteArray("shiguren-copy 1 1756445467000 2 x\n[]");
    }
    void damagedCopiesAreIgnored()
    {
        QFETCH(QByteArray, raw);
        QTemporaryDir dir;
        const LastGoodCopies copies(dir.path());
        writeRaw(copies.filePath(QStringLiteral("k")), raw);
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.app"));
        QVERIFY(!copies.load(QStringLiteral("k")));
        QCOMPARE(log.matching(QStringLiteral("保存したコピーを使いません")).size(), 1);
    }

    void aStoreWithoutDirectoryKeepsNothing()
    {
        const LastGoodCopies none;
        QVERIFY(!none.isEnabled());
        none.save(QStringLiteral("k"), "x", kFetched);
        QVERIFY(!none.load(QStringLiteral("k")));
    }

    void anUnwritableDirectoryIsLoggedNotFatal()
    {
        QTemporaryDir dir;
        writeRaw(dir.filePath(QStringLiteral("file")), "x"); // a file where the folder should be
        const LastGoodCopies copies(dir.filePath(QStringLiteral("file/lastgood")));
        LogCapture log(QStringLiteral("jp.shiguren.Shiguren.app"));
        copies.save(QStringLiteral("k"), "x", kFetched);
        QVERIFY(!copies.load(QStringLiteral("k")));
        QCOMPARE(log.lines().size(), 1);
    }
};

SHIGUREN_GUILESS_TEST(TestLastGoodCopies)
#include "tst_lastgoodcopies.moc"
