#include "platform/JsonSettingsFormat.h"
#include "platform/Preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT

    QString newPath() { return m_dir.filePath(QStringLiteral("s%1.json").arg(++m_files)); }

    // QSettings caches files per path and would answer from memory, so reopening goes
    // through a copy under a new name to force a real read.
    std::unique_ptr<QSettings> reopen(const QString& path)
    {
        const QString copy = newPath();
        return QFile::copy(path, copy) ? Preferences::openFile(copy) : nullptr;
    }

    QTemporaryDir m_dir;
    int m_files = 0;

private Q_SLOTS:
    void valuesKeepTheirTypesThroughTheFile_data()
    {
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("expected");
        auto same = [](const char* name, const QVariant& v) { QTest::newRow(name) << v << v; };
        same("string", QStringLiteral("時雨 ✓"));
        same("string shaped like a tag", QStringLiteral("{\"$int\": \"1\"}"));
        same("integral double", 4.0);
        same("fractional double", 0.1);
        same("bool", false);
        same("bytes", QByteArray("\x00\xff\x10 bin", 8));
        same("string list", QStringList{QStringLiteral("a"), QStringLiteral("東京")});
        same("infinity", -std::numeric_limits<double>::infinity());
        same("qlonglong", QVariant(std::numeric_limits<qlonglong>::min()));
        same("large qulonglong", QVariant(std::numeric_limits<qulonglong>::max()));
        QTest::newRow("int as qlonglong") << QVariant(123) << QVariant(qlonglong(123));
    }

    void valuesKeepTheirTypesThroughTheFile()
    {
        QFETCH(QVariant, written);
        QFETCH(QVariant, expected);
        const QString path = newPath();
        const QString key = QStringLiteral("Shiguren.window/value");
        Preferences::openFile(path)->setValue(key, written);

        auto reopened = reopen(path);
        QVERIFY(reopened);
        QCOMPARE(reopened->allKeys(), QStringList{key});
        QCOMPARE(reopened->value(key).metaType(), expected.metaType());
        QCOMPARE(reopened->value(key), expected);
    }

    void fileIsAPlainUtf8JsonObject()
    {
        const QString path = newPath();
        {
            auto store = Preferences::openFile(path);
            store->setValue(QStringLiteral("place"), QStringLiteral("東京"));
            store->setValue(QStringLiteral("fps"), 4.0);
            store->setValue(QStringLiteral("count"), 3);
        }
        const QByteArray bytes = readBytes(path);
        QVERIFY(bytes.contains(QStringLiteral("東京").toUtf8()));
        const QJsonObject object = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(object.value(QStringLiteral("place")).toString(), QStringLiteral("東京"));
        QCOMPARE(object.value(QStringLiteral("fps")).toDouble(), 4.0);
        QCOMPARE(object.value(QStringLiteral("count")).toObject().value(QStringLiteral("$int")),
                 QStringLiteral("3"));
    }

    void corruptFileGivesDefaultsAndIsKept_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not JSON") << QByteArray("theme = dark\n");
        QTest::newRow("array") << QByteArray("[\"dark\"]");
        QTest::newRow("unknown tag") << QByteArray("{\"a\": {\"$colour\": \"red\"}}");
        QTest::newRow("two tags") << QByteArray("{\"a\": {\"$int\": \"1\", \"$bytes\": \"\"}}");
        QTest::newRow("bad integer") << QByteArray("{\"a\": {\"$int\": \"12x\"}}");
        QTest::newRow("bad base64") << QByteArray("{\"a\": {\"$bytes\": \"!!!\"}}");
        QTest::newRow("mixed array") << QByteArray("{\"a\": [\"x\", 1]}");
    }

    void corruptFileGivesDefaultsAndIsKept()
    {
        QFETCH(QByteArray, contents);
        const QString path = newPath();
        const QString copyPath = JsonSettingsFormat::corruptCopyPath(path);
        QVERIFY(writeBytes(path, contents));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is not valid")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        {
            auto store = Preferences::openFile(path);
            QVERIFY(store->allKeys().isEmpty());
            QCOMPARE(store->status(), QSettings::NoError);
            QCOMPARE(readBytes(copyPath), contents);
            store->sync();
        }
        QCOMPARE(readBytes(path), contents);

        auto store = Preferences::openFile(path);
        store->setValue(QStringLiteral("Shiguren.theme"), QStringLiteral("light"));
        store->sync();
        QCOMPARE(store->status(), QSettings::NoError);
        const auto rewritten = JsonSettingsFormat::decode(readBytes(path));
        QVERIFY(rewritten);
        QCOMPARE(rewritten->keys(), QStringList{QStringLiteral("Shiguren.theme")});
        QCOMPARE(readBytes(copyPath), contents);
    }

    void corruptFileIsNotReplacedWhileNoCopyCanBeKept()
    {
        const QString path = newPath();
        const QString copyPath = JsonSettingsFormat::corruptCopyPath(path);
        const QByteArray contents("not json");
        QVERIFY(writeBytes(path, contents));
        // A folder where the copy belongs makes writing the copy fail.
        QVERIFY(QDir().mkpath(copyPath));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no copy could")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Not saving")));
        auto store = Preferences::openFile(path);
        store->setValue(QStringLiteral("a"), true);
        store->sync();
        QCOMPARE(store->status(), QSettings::AccessError);
        QCOMPARE(readBytes(path), contents);

        QVERIFY(QDir(copyPath).removeRecursively());
        store->setValue(QStringLiteral("b"), true);
        store->sync();
        QCOMPARE(readBytes(copyPath), contents);
        const auto rewritten = JsonSettingsFormat::decode(readBytes(path));
        QVERIFY(rewritten);
        QCOMPARE(rewritten->size(), 2);
    }

    void missingOrEmptyFileGivesDefaultsWithoutCopy_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << false;
        QTest::newRow("empty") << true;
    }

    void missingOrEmptyFileGivesDefaultsWithoutCopy()
    {
        QFETCH(bool, exists);
        const QString path = newPath();
        QVERIFY(!exists || writeBytes(path, {}));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));

        auto store = Preferences::openFile(path);
        QVERIFY(store->allKeys().isEmpty());
        store->setValue(QStringLiteral("a"), 1.5);
        store->sync();
        QCOMPARE(store->status(), QSettings::NoError);
        QVERIFY(JsonSettingsFormat::decode(readBytes(path)));
        QVERIFY(!QFile::exists(JsonSettingsFormat::corruptCopyPath(path)));
    }

    void standardStoreLivesInTheConfigFolder()
    {
        const QString configHome = m_dir.filePath(QStringLiteral("config"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
        QCoreApplication::setOrganizationName(QStringLiteral("shiguren-test"));
        QCoreApplication::setApplicationName(QStringLiteral("prefs"));

        auto store = Preferences::openStandard();
        const QString folder = configHome + QStringLiteral("/shiguren-test/prefs");
        QCOMPARE(store->fileName(), folder + QStringLiteral("/settings.json"));
        QCOMPARE(store->format(), Preferences::jsonFormat());
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
