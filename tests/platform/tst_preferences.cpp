#include "TestRegistry.h"
#include "platform/JsonSettingsFormat.h"
#include "platform/Preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

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

// Makes writes past `bytes` into any file fail for the process, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_previous.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

const char* const kWriterArgument = "--save-preferences-forever";
const QString kRoundKey = QStringLiteral("Shiguren.round");
const QString kPayloadKey = QStringLiteral("Shiguren.payload");

// Large enough that a save takes a while, so a kill lands inside one; tied to the round so
// a file mixing two saves shows.
QByteArray payloadFor(qlonglong round)
{
    return QByteArray(300 * 1024 + int(round % 7) * 4096, char('a' + round % 26)) +
           QByteArray::number(round);
}

// The child process of killedWriterLeavesAWholeFile: announces each round on stdout, then
// saves it, until it is killed.
int saveForever(const QString& path)
{
    auto store = Preferences::openFile(path);
    for (qlonglong round = 1;; ++round) {
        std::printf("%lld\n", round);
        std::fflush(stdout);
        store->setValue(kRoundKey, round);
        store->setValue(kPayloadKey, payloadFor(round));
        store->sync();
        if (store->status() != QSettings::NoError)
            return 1;
    }
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
    // `onDisk`, where given, is how the value must stand in the plain UTF-8 JSON file.
    void valuesKeepTheirTypesThroughTheFile_data()
    {
        QTest::addColumn<QVariant>("written");
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<QJsonValue>("onDisk");
        auto same = [](const char* name, const QVariant& v,
                       const QJsonValue& onDisk = QJsonValue::Undefined) {
            QTest::newRow(name) << v << v << onDisk;
        };
        same("string", QStringLiteral("時雨 ✓"), QStringLiteral("時雨 ✓"));
        same("string shaped like a tag", QStringLiteral("{\"$int\": \"1\"}"));
        same("integral double", 4.0, 4.0);
        same("fractional double", 0.1);
        same("bool", false);
        same("bytes", QByteArray("\x00\xff\x10 bin", 8));
        same("string list", QStringList{QStringLiteral("a"), QStringLiteral("東京")});
        same("infinity", -std::numeric_limits<double>::infinity());
        same("qlonglong", QVariant(std::numeric_limits<qlonglong>::min()));
        same("large qulonglong", QVariant(std::numeric_limits<qulonglong>::max()));
        QTest::newRow("int as qlonglong")
            << QVariant(123) << QVariant(qlonglong(123))
            << QJsonValue(QJsonObject{{QStringLiteral("$int"), QStringLiteral("123")}});
    }

    void valuesKeepTheirTypesThroughTheFile()
    {
        QFETCH(QVariant, written);
        QFETCH(QVariant, expected);
        QFETCH(QJsonValue, onDisk);
        const QString path = newPath();
        const QString key = QStringLiteral("Shiguren.window/value");
        Preferences::openFile(path)->setValue(key, written);
        if (!onDisk.isUndefined()) {
            const QByteArray bytes = readBytes(path);
            QCOMPARE(QJsonDocument::fromJson(bytes).object().value(key), onDisk);
            if (onDisk.isString())
                QVERIFY(bytes.contains(onDisk.toString().toUtf8())); // not \u-escaped
        }

        auto reopened = reopen(path);
        QVERIFY(reopened);
        QCOMPARE(reopened->allKeys(), QStringList{key});
        QCOMPARE(reopened->value(key).metaType(), expected.metaType());
        QCOMPARE(reopened->value(key), expected);
    }

    // A damaged file is set aside as a copy before anything replaces it; a missing or empty
    // one (contents null / empty) simply starts empty.
    void unreadableFileGivesDefaultsAndIsKept_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not JSON") << QByteArray("theme = dark\n");
        QTest::newRow("array") << QByteArray("[\"dark\"]");
        QTest::newRow("truncated") << QByteArray("{\"a\": {\"$int\": \"1\"");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
    }

    void unreadableFileGivesDefaultsAndIsKept()
    {
        QFETCH(QByteArray, contents);
        const bool damaged = !contents.isEmpty();
        const QString path = newPath();
        const QString copyPath = JsonSettingsFormat::corruptCopyPath(path);
        QVERIFY(contents.isNull() || writeBytes(path, contents));

        if (damaged)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("is not valid")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        {
            auto store = Preferences::openFile(path);
            QVERIFY(store->allKeys().isEmpty());
            QCOMPARE(store->status(), QSettings::NoError);
            QCOMPARE(readBytes(copyPath), contents); // kept before anything is written
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
        QCOMPARE(QFile::exists(copyPath), damaged);
        QCOMPARE(readBytes(copyPath), contents);
    }

    // A newer version may store shapes this one does not know; they are handed to nobody
    // and written back as they were. A known tag whose payload is damaged is dropped alone.
    void unknownValuesAreWrittenBackUntouched_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("kept");
        QTest::newRow("unknown tag") << QByteArray(R"({"$colour": "red"})") << true;
        QTest::newRow("two tags") << QByteArray(R"({"$int": "1", "$bytes": ""})") << true;
        QTest::newRow("tag with a number") << QByteArray(R"({"$int": 7})") << true;
        QTest::newRow("mixed array") << QByteArray(R"(["x", 1, null])") << true;
        QTest::newRow("nested object") << QByteArray(R"({"a": {"b": [1.5, {}]}})") << true;
        QTest::newRow("bad integer") << QByteArray(R"({"$int": "12x"})") << false;
        QTest::newRow("bad base64") << QByteArray(R"({"$bytes": "!!!"})") << false;
        QTest::newRow("bad double") << QByteArray(R"({"$double": "1e999x"})") << false;
    }

    void unknownValuesAreWrittenBackUntouched()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, kept);
        const QString path = newPath();
        const QString key = QStringLiteral("Shiguren.future");
        const QString theme = QStringLiteral("Shiguren.theme");
        QVERIFY(
            writeBytes(path, R"({"Shiguren.theme": "dark", "Shiguren.future": )" + stored + "}"));
        const QJsonValue original = QJsonDocument::fromJson("[" + stored + "]").array().at(0);

        if (!kept)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("key=") + key));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        auto store = Preferences::openFile(path);
        QCOMPARE(store->value(theme), QVariant(QStringLiteral("dark")));
        QCOMPARE(store->contains(key), kept);
        // Whatever is handed out must not pass for a value of a type this version reads.
        const QList<int> readable = {
            QMetaType::QString,   QMetaType::Double,     QMetaType::Bool,       QMetaType::LongLong,
            QMetaType::ULongLong, QMetaType::QByteArray, QMetaType::QStringList};
        QVERIFY(!readable.contains(store->value(key).typeId()));

        store->setValue(theme, QStringLiteral("light"));
        store->sync();
        QCOMPARE(store->status(), QSettings::NoError);
        QVERIFY(!QFile::exists(JsonSettingsFormat::corruptCopyPath(path)));
        const QJsonObject saved = QJsonDocument::fromJson(readBytes(path)).object();
        QCOMPARE(saved.value(theme), QJsonValue(QStringLiteral("light")));
        QCOMPARE(saved.contains(key), kept);
        if (kept)
            QCOMPARE(saved.value(key), original);
    }

    // Whatever a file decodes to is saved and read back under the same keys (found by the
    // preferences fuzz target).
    void keysSurviveASaveAndALoad_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("byte order mark opening a key with an escape")
            << QByteArray("{\"\xEF\xBB\xBFShiguren.\\u0074heme\": \"dark\"}");
        QTest::newRow("two byte order marks and a lone surrogate")
            << QByteArray("{\"\xEF\xBB\xBF\xEF\xBB\xBF\\ud800x\": 1, \"y\": 2}");
        QTest::newRow("fuzzer's input") << QByteArray::fromBase64(
            "ewogICAgIlNoaWd1cmVuLnRoZW1lIjogImRhcmsiLAogICAgIlNoAQAAAAAAAAdpZ3VyZW4ucmNsZXMi"
            "OiB0cnVlLAogICAgIu+7v1NoaWd1cmVuLnNob3dcaWhpZ3VyZW4jLm1hcFN0eWxlIjogewogICAgICAg"
            "ICIkY2hvaWNlIjogInNhdGVsbGl0ZSIKICAgIH0sCiAgICAiU2FpbkFsZ3J0ZXJzIjogWwogICAgICAg"
            "ICJyYWluIiwKICAgIHsKICAgICAgICAgICAgIiRsYXllciI6ICJ3aW5kIgogICAgICAgIH0KICAgIF0K"
            "fQo=");
    }
    void keysSurviveASaveAndALoad()
    {
        QFETCH(QByteArray, stored);
        const auto loaded = JsonSettingsFormat::decode(stored);
        QVERIFY(loaded);
        const auto reloaded = JsonSettingsFormat::decode(JsonSettingsFormat::encode(*loaded));
        QVERIFY(reloaded);
        QCOMPARE(reloaded->keys(), loaded->keys());
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
        // The refused save stays the store's error for the run.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("設定を保存できません")));
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

    // Root ignores permissions, so a plain file standing where the folder belongs makes the
    // folder unwritable; a file size limit makes the disk full.
    void unsavedChangesStayInMemoryAndAreToldOnce_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("no folder can be made") << false;
        QTest::newRow("disk full") << true;
    }

    void unsavedChangesStayInMemoryAndAreToldOnce()
    {
        QFETCH(bool, diskFull);
        const QString theme = QStringLiteral("Shiguren.theme");
        const QString step = QStringLiteral("Shiguren.stepMinutes");
        QString path = newPath();
        if (diskFull) {
            QVERIFY(writeBytes(path, R"({"Shiguren.theme": "dark", "Shiguren.textScale": 1.25})"));
        } else {
            QVERIFY(writeBytes(path, "x"));
            path += QStringLiteral("/settings.json");
        }
        const QByteArray before = readBytes(path);

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("設定を保存できません")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        auto store = Preferences::openFile(path);
        QSignalSpy told(store.get(), &Preferences::Store::savingFailedChanged);
        {
            std::optional<FileSizeLimit> full;
            if (diskFull)
                full.emplace(16);
            store->setValue(theme, QStringLiteral("light"));
            QCoreApplication::sendPostedEvents(store.get()); // the deferred save
            store->setValue(step, 10.0);
            QCoreApplication::sendPostedEvents(store.get());
        }
        QVERIFY(store->savingFailed());
        QCOMPARE(told.count(), 1);
        QCOMPARE(store->value(theme), QVariant(QStringLiteral("light")));
        QCOMPARE(store->value(step), QVariant(10.0));
        QCOMPARE(readBytes(path), before);
    }

    // The child is killed right after it announces a round, so mostly in the middle of
    // saving it; the file must then hold the previous round or a later one, whole.
    void killedWriterLeavesAWholeFile()
    {
        const QString path = newPath();
        for (int kill = 0; kill < 12; ++kill) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("tst_preferences"), QLatin1String(kWriterArgument), path});
            const qlonglong target = 2 + QRandomGenerator::global()->bounded(4);
            qlonglong announced = 0;
            while (announced < target) {
                QVERIFY(writer.waitForReadyRead(10000));
                while (writer.canReadLine())
                    announced = writer.readLine().trimmed().toLongLong();
            }
            writer.kill();
            QVERIFY(writer.waitForFinished(10000));
            QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

            const auto saved = JsonSettingsFormat::decode(readBytes(path));
            QVERIFY2(saved, "the file does not parse after a kill");
            const qlonglong round = saved->value(kRoundKey).toLongLong();
            QVERIFY(round >= target - 1);
            QCOMPARE(saved->value(kPayloadKey).toByteArray(), payloadFor(round));
        }
        QVERIFY(!QFile::exists(JsonSettingsFormat::corruptCopyPath(path)));
    }

    // An empty lock left by a writer killed as it took it would hold every save of the next
    // run for 30 s; one that a live writer holds stays.
    void anEmptyLockIsRemovedOnlyWhenNobodyHoldsIt()
    {
        const QString path = newPath();
        const QString lock = path + QStringLiteral(".lock");
        QVERIFY(writeBytes(lock, {}));
        {
            const int held = ::open(QFile::encodeName(lock).constData(), O_RDONLY);
            QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
            Preferences::openFile(path);
            QVERIFY(QFile::exists(lock));
            ::close(held);
        }
        auto store = Preferences::openFile(path);
        QVERIFY(!QFile::exists(lock));
        store->setValue(QStringLiteral("Shiguren.theme"), QStringLiteral("dark"));
        store->sync();
        QCOMPARE(store->status(), QSettings::NoError);
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

static int runTests(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kWriterArgument) == 0)
        return saveForever(QString::fromLocal8Bit(argv[2]));
    TestPreferences test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
SHIGUREN_TEST_WITH_MAIN(runTests)
#include "tst_preferences.moc"
