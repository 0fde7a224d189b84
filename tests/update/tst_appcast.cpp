#include "TestRegistry.h"
#include "platform/DocumentLimit.h"
#include "platform/ErrorText.h"
#include "update/Appcast.h"
#include "update/VersionComparison.h"
#include "update/VersionText.h"

#include <QTest>

#include <tuple>

namespace {

QByteArray feed(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
           "<channel><title>Shiguren</title><link>https://shiguren.jp/</link>" +
           items + "</channel></rss>";
}

AppcastItem release(const char* shortVersion, const char* version)
{
    const QUrl page(QStringLiteral("https://shiguren.jp/dl"));
    return {{}, QLatin1String(shortVersion), QLatin1String(version), page, {}};
}

} // namespace

Q_DECLARE_METATYPE(AppcastItem)

class TestAppcast : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void comparesVersions()
    {
        const std::tuple<const char*, const char*, int> rows[] = {
            {"1.10", "1.9", 1},   // numbers, not text
            {"1.2", "1.2.0", 0},  // a trailing zero
            {"01.2", "1.2", 0},   // a leading zero
            {"1.2.1", "1.2", 1},  // an extra number
            {"1.2b1", "1.2", -1}, // a beta before its release
            {"1.2b2", "1.2b10", -1},
            {"1.2.1", "1.2b", 1},
            {"123456789012345678901", "99", 1}, // longer than 64 bits
            {"", "1", -1},
        };
        const auto sign = [](int n) { return (n > 0) - (n < 0); };
        for (const auto& [a, b, order] : rows) {
            QCOMPARE(sign(compareVersions(QLatin1String(a), QLatin1String(b))), order);
            QCOMPARE(sign(compareVersions(QLatin1String(b), QLatin1String(a))), -order);
        }
    }

    void readsItemsFromElementsAndEnclosures()
    {
        const auto items = Appcast::parse(feed(
            "<item><title>Shiguren 1.3.0</title>"
            "<sparkle:shortVersionString>1.3.0</sparkle:shortVersionString>"
            "<sparkle:version>52</sparkle:version>"
            "<link>https://shiguren.jp/download</link>"
            "<pubDate>Fri, 29 Aug 2025 14:30:00 +0900</pubDate>"
            "<enclosure url=\"https://shiguren.jp/Shiguren-1.3.0.tar.gz\" sparkle:version=\"51\"/>"
            "</item>"
            "<item><title>Shiguren 1.2.0</title><link>javascript:alert(1)</link>"
            "<enclosure url=\"https://shiguren.jp/Shiguren-1.2.0.tar.gz\" sparkle:version=\"45\""
            " sparkle:shortVersionString=\"1.2.0\" length=\"1\" type=\"application/gzip\"/>"
            "</item>"
            "<item><sparkle:version>40</sparkle:version><link>file:///etc/passwd</link></item>"));
        QVERIFY(items.ok());
        const QDateTime published(QDate(2025, 8, 29), QTime(5, 30), Qt::UTC);
        const QUrl page(QStringLiteral("https://shiguren.jp/download"));
        const QUrl archive(QStringLiteral("https://shiguren.jp/Shiguren-1.2.0.tar.gz"));
        // The element's version wins over the enclosure's; only web addresses are kept,
        // since a browser is asked to open them.
        QCOMPARE(items.value(),
                 (QList<AppcastItem>{{u"Shiguren 1.3.0"_qs, u"1.3.0"_qs, u"52"_qs, page, published},
                                     {u"Shiguren 1.2.0"_qs, u"1.2.0"_qs, u"45"_qs, archive, {}},
                                     {{}, {}, u"40"_qs, {}, {}}}));
    }

    void rejectsDocumentsThatAreNotFeeds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("description");
        const QString malformed = ErrorText::dataFormat();
        QTest::newRow("empty") << QByteArray() << malformed;
        QTest::newRow("html") << QByteArray("<html><body>Not found</body></html>") << malformed;
        QTest::newRow("cut short")
            << feed("<item><sparkle:version>2</sparkle:version>").left(150) << malformed;
        QTest::newRow("no channel") << QByteArray("<rss version=\"2.0\"></rss>") << malformed;
        QTest::newRow("item without a version")
            << feed("<item><link>https://shiguren.jp/</link></item>") << malformed;
        QTest::newRow("undeclared prefix")
            << QByteArray("<rss><channel><item><sp:version>2</sp:version></item></channel></rss>")
            << malformed;
        QTest::newRow("junk after the document") << feed("") + "<rss/>" << malformed;
        QTest::newRow("over the bound")
            << feed(QByteArray(DocumentLimit::kMaxBytes, ' ')) << ErrorText::documentTooLarge();
    }
    void rejectsDocumentsThatAreNotFeeds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, description);
        const auto items = Appcast::parse(bytes);
        QVERIFY(!items.ok());
        QCOMPARE(items.failure().description, description);
    }

    void picksTheNewestRelease_data()
    {
        QTest::addColumn<QList<AppcastItem>>("items");
        QTest::addColumn<QString>("expected"); // short version and build, or empty for none
        const AppcastItem unopenable{{}, QStringLiteral("9.0"), QStringLiteral("90"), {}, {}};
        QTest::newRow("newest of several")
            << QList{release("1.2.1", "46"), release("1.10.0", "60"), release("1.9.0", "55")}
            << "1.10.0/60";
        QTest::newRow("all older or equal")
            << QList{release("1.1.0", "40"), release("1.2.0", "45")} << "";
        QTest::newRow("same version, later build") << QList{release("1.2.0", "47")} << "1.2.0/47";
        QTest::newRow("later version, build restarted")
            << QList{release("1.3.0", "2")} << "1.3.0/2";
        QTest::newRow("build only") << QList{release("", "46")} << "/46";
        QTest::newRow("cannot be opened") << QList{unopenable} << "";
    }
    void picksTheNewestRelease()
    {
        QFETCH(QList<AppcastItem>, items);
        QFETCH(QString, expected);
        const auto newest =
            Appcast::newestUpdate(items, QStringLiteral("1.2.0"), QStringLiteral("45"));
        QCOMPARE(newest ? newest->shortVersion + u'/' + newest->version : QString(), expected);
    }

    void formatsTheRunningVersion()
    {
        QCOMPARE(VersionText::format(u"1.2.0"_qs, QString()), u"1.2.0 (不明)");
        QCOMPARE(VersionText::format(QString(), u" "_qs), u"不明 (不明)");
    }
};

SHIGUREN_GUILESS_TEST(TestAppcast)
#include "tst_appcast.moc"
