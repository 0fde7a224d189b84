#include "FakeHttpServer.h"
#include "TestRegistry.h"
#include "outlook/RainBand.h"
#include "platform/AppInfo.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

namespace {

QString stamp(const QDateTime& time)
{
    return time.toUTC().toString(u"yyyyMMddHHmmss");
}

QByteArray pngFilledWith(const QColor& color)
{
    QImage tile(256, 256, QImage::Format_Indexed8);
    tile.setColorTable({qRgba(0, 0, 0, 0), color.rgba()});
    tile.fill(color.isValid() ? 1 : 0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    tile.save(&buffer, "PNG");
    return bytes;
}

// The agency as a script meets it at the time of the test: the last hour of observations up
// to `newest`, the nowcast of the hour after it, and rain of 5–10 mm/h everywhere from 15
// minutes after `newest`.
void serveAgency(FakeHttpServer& server, const QDateTime& newest)
{
    QJsonArray observed;
    QJsonArray nowcast;
    const QJsonArray elements{u"hrpns"_qs, u"hrpns_nd"_qs};
    for (int i = 0; i <= 12; ++i) {
        const QString t = stamp(newest.addSecs(-300 * i));
        observed.append(
            QJsonObject{{u"basetime"_qs, t}, {u"validtime"_qs, t}, {u"elements"_qs, elements}});
        if (i > 0)
            nowcast.append(QJsonObject{{u"basetime"_qs, stamp(newest)},
                                       {u"validtime"_qs, stamp(newest.addSecs(300 * i))},
                                       {u"elements"_qs, elements}});
    }
    const QString lists = u"/bosai/jmatile/data/"_qs;
    server.setRoute(lists + u"nowc/targetTimes_N1.json"_qs,
                    FakeResponse::json(QJsonDocument(observed).toJson()));
    server.setRoute(lists + u"nowc/targetTimes_N2.json"_qs,
                    FakeResponse::json(QJsonDocument(nowcast).toJson()));
    server.setRoute(lists + u"rasrf/targetTimes.json"_qs, FakeResponse::json("[]"));
    const QString rainFrom = stamp(newest.addSecs(15 * 60));
    const QByteArray dry = pngFilledWith(QColor());
    const QByteArray rain = pngFilledWith(RainBand::color(3));
    server.setHandler([=](const RecordedRequest& request) -> std::optional<FakeResponse> {
        const QStringList parts = request.path.split(u'/');
        // /bosai/jmatile/data/nowc/<base>/none/<valid>/surf/hrpns/<z>/<x>/<y>.png
        if (parts.size() != 13 || parts[4] != u"nowc" || parts[9] != u"hrpns")
            return std::nullopt;
        return FakeResponse::png(parts[7] >= rainFrom ? rain : dry);
    });
}

QDateTime fiveMinutesDown(const QDateTime& time)
{
    const qint64 step = 300;
    return QDateTime::fromSecsSinceEpoch(time.toSecsSinceEpoch() / step * step, QTimeZone::utc());
}

} // namespace

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

    // The outlook for scripts, against a stand-in agency publishing as of now, with no
    // display and the user's own (here empty) preferences and cache.
    void rainAtAPlace_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("minutesOld"); // of the newest observation
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString soon = u"分後から雨の見込み（5〜10 mm/h）"_qs;
        QTest::newRow("text") << QStringList{u"--rain-at"_qs, u"35.681,139.767"_qs} << 0 << 0
                              << soon << QString();
        QTest::newRow("saved place")
            << QStringList{u"--rain-at"_qs, u"東京"_qs} << 0 << 0 << soon << QString();
        QTest::newRow("json") << QStringList{u"--rain-at=35.681,139.767"_qs, u"--json"_qs} << 0 << 0
                              << u"\"steps\""_qs << QString();
        QTest::newRow("old data") << QStringList{u"--rain-at"_qs, u"35.681,139.767"_qs} << 30 << 3
                                  << QString() << u"最新のレーダー情報がありません"_qs;
        QTest::newRow("outside the radar")
            << QStringList{u"--rain-at"_qs, u"0,0"_qs} << 0 << 2 << QString() << u"範囲外"_qs;
        QTest::newRow("unknown place") << QStringList{u"--rain-at"_qs, u"どこか"_qs} << 0 << 2
                                       << QString() << u"場所 どこか が見つかりません"_qs;
        QTest::newRow("json alone") << QStringList{u"--json"_qs} << 0 << 2 << QString()
                                    << u"--json は --rain-at と一緒に"_qs;
    }
    void rainAtAPlace()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, minutesOld);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        FakeHttpServer server;
        QVERIFY(server.listen());
        const QDateTime newest =
            fiveMinutesDown(QDateTime::currentDateTimeUtc()).addSecs(-60 * minutesOld);
        serveAgency(server, newest);
        QTemporaryDir home;
        QProcess program;
        start(program, arguments,
              {{u"SHIGUREN_SERVICES_URL"_qs, server.baseUrl().toString()},
               {u"XDG_CONFIG_HOME"_qs, home.filePath(u"config"_qs)},
               {u"XDG_CACHE_HOME"_qs, home.filePath(u"cache"_qs)}});
        // The stand-in agency answers from this event loop: wait without blocking it.
        QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 60000);
        const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(program.exitCode() == exitCode, qPrintable(stdErr));
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        if (exitCode != 0) {
            QVERIFY(stdOut.isEmpty());
            return;
        }
        if (!arguments.contains(u"--json"_qs)) {
            // The sentence, then a line per step: 13 observations and 12 nowcast steps.
            const QStringList lines = stdOut.trimmed().split(u'\n');
            QCOMPARE(lines.size(), 1 + 25);
            const QRegularExpression step(u"^\\d\\d:\\d\\d  (雨なし|5〜10 mm/h)$"_qs);
            for (const QString& line : lines.mid(1))
                QVERIFY2(step.match(line).hasMatch(), qPrintable(line));
            return;
        }
        const QJsonObject root = QJsonDocument::fromJson(stdOut.toUtf8()).object();
        const QJsonObject place = root[u"place"_qs].toObject();
        QCOMPARE(place[u"latitude"_qs].toDouble(), 35.681);
        QCOMPARE(place[u"longitude"_qs].toDouble(), 139.767);
        QVERIFY(place[u"name"_qs].isString());
        QCOMPARE(root[u"dataTime"_qs].toString(),
                 newest.toOffsetFromUtc(9 * 3600).toString(Qt::ISODate));
        QVERIFY(root[u"dataTime"_qs].toString().endsWith(u"+09:00"));
        QVERIFY(root[u"sentence"_qs].toString().contains(u"分後から雨の見込み（5〜10 mm/h）"));
        const QJsonArray steps = root[u"steps"_qs].toArray();
        QCOMPARE(steps.size(), 25);
        const QJsonObject first = steps.first().toObject();
        QCOMPARE(first[u"kind"_qs].toString(), u"observation"_qs);
        QCOMPARE(first[u"minMmPerHour"_qs].toDouble(-1), 0.0);
        const QJsonObject last = steps.last().toObject();
        QCOMPARE(last[u"kind"_qs].toString(), u"nowcast"_qs);
        QVERIFY(last[u"time"_qs].toString().endsWith(u"+09:00"));
        QCOMPARE(last[u"minMmPerHour"_qs].toDouble(), 5.0);
        QCOMPARE(last[u"maxMmPerHour"_qs].toDouble(), 10.0);
    }

    // The agency cannot be reached: the script learns why, with its own status.
    void rainAtWithoutTheAgency()
    {
        QTemporaryDir home;
        QProcess program;
        start(program, {u"--rain-at"_qs, u"35.681,139.767"_qs},
              {{u"SHIGUREN_SERVICES_URL"_qs, u"http://127.0.0.1:9"_qs},
               {u"XDG_CONFIG_HOME"_qs, home.filePath(u"config"_qs)},
               {u"XDG_CACHE_HOME"_qs, home.filePath(u"cache"_qs)}});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 3);
        QVERIFY(program.readAllStandardOutput().isEmpty());
        QVERIFY(
            QString::fromUtf8(program.readAllStandardError()).contains(u"取得できませんでした"));
    }

private:
    static void start(QProcess& program, const QStringList& arguments,
                      const QList<QPair<QString, QString>>& variables)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_qs);
        environment.remove(u"WAYLAND_DISPLAY"_qs);
        environment.insert(u"DISPLAY"_qs, QString());
        for (const auto& [name, value] : variables)
            environment.insert(name, value);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(SHIGUREN_EXECUTABLE), arguments);
    }

    static bool run(QProcess& program, const QStringList& arguments)
    {
        start(program, arguments, {});
        return program.waitForFinished(60000);
    }
};

SHIGUREN_GUILESS_TEST(TestCommandLine)
#include "tst_commandline.moc"
