#include "TestData.h"
#include "TestRegistry.h"
#include "platform/DocumentLimit.h"
#include "platform/Gzip.h"
#include "platform/JsonReader.h"

#include <QTest>

class TestJsonReader : public QObject {
    Q_OBJECT

    static QJsonObject object(const char* json)
    {
        return QJsonDocument::fromJson(QByteArray(json)).object();
    }

private Q_SLOTS:
    void requiredMembersMustExistWithTheirType()
    {
        JsonDecodeStatus status;
        json::ObjectReader reader(object(R"({"s":"a","n":1.5,"b":true,"a":["x"]})"), status);
        QCOMPARE(reader.string(QLatin1String("s")), QStringLiteral("a"));
        QCOMPARE(reader.number(QLatin1String("n")), 1.5);
        QCOMPARE(reader.boolean(QLatin1String("b")), true);
        QCOMPARE(reader.stringArray(QLatin1String("a")), QStringList{QStringLiteral("x")});
        QVERIFY(status.ok());

        reader.string(QLatin1String("n")); // a number is not a string
        QVERIFY(!status.ok());
        const QString first = status.error();
        reader.number(QLatin1String("missing"));
        QCOMPARE(status.error(), first); // the first problem is kept
    }

    void nullCountsAsAbsentOnlyForOptionalMembers()
    {
        JsonDecodeStatus status;
        json::ObjectReader reader(object(R"({"x":null,"y":"t"})"), status);
        QVERIFY(!reader.optionalNumber(QLatin1String("x")));
        QVERIFY(!reader.optionalNumber(QLatin1String("absent")));
        QVERIFY(status.ok());
        reader.optionalNumber(QLatin1String("y")); // present but of another type
        QVERIFY(!status.ok());

        JsonDecodeStatus strict;
        json::ObjectReader required(object(R"({"x":null})"), strict);
        required.string(QLatin1String("x"));
        QVERIFY(!strict.ok());
    }

    void integersMustBeIntegral_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("ok");
        QTest::newRow("integer") << QByteArray(R"({"i":4})") << true;
        QTest::newRow("integral double") << QByteArray(R"({"i":4.0})") << true;
        QTest::newRow("fraction") << QByteArray(R"({"i":4.5})") << false;
        QTest::newRow("string") << QByteArray(R"({"i":"4"})") << false;
        QTest::newRow("beyond 2^53") << QByteArray(R"({"i":1e300})") << false;
    }
    void integersMustBeIntegral()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, ok);
        JsonDecodeStatus status;
        json::ObjectReader reader(QJsonDocument::fromJson(json).object(), status);
        const qint64 value = reader.integer(QLatin1String("i"));
        QCOMPARE(status.ok(), ok);
        if (ok)
            QCOMPARE(value, 4);
    }

    void documentsAreCheckedAtTheRoot()
    {
        JsonDecodeStatus notJson;
        QVERIFY(json::rootArray(json::parse("<html>", notJson), notJson).isEmpty());
        QVERIFY(!notJson.ok());

        JsonDecodeStatus wrongKind;
        json::rootArray(json::parse("{}", wrongKind), wrongKind);
        QVERIFY(!wrongKind.ok());

        JsonDecodeStatus element;
        const QJsonArray array{1.0, QStringLiteral("x")};
        QCOMPARE(json::numberAt(array, 0, element), 1.0);
        json::numberAt(array, 2, element); // never reads past the end
        QVERIFY(!element.ok());
    }

    // The services pass every body through Gzip::inflateIfCompressed and then a decoder, as
    // here; a decoder's failure text is what the user reads.
    void documentsOverTheBoundAreRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("tooLarge");
        const qsizetype bound = DocumentLimit::kMaxBytes;
        QTest::newRow("at the bound") << TestData::paddedJsonArray(bound) << false;
        QTest::newRow("one byte over") << TestData::paddedJsonArray(bound + 1) << true;
        QTest::newRow("gzip, small") << TestData::gzipped("[]") << false;
        QTest::newRow("gzip, inflating to the bound")
            << TestData::gzipped(TestData::paddedJsonArray(bound)) << false;
        QTest::newRow("gzip bomb")
            << TestData::gzipped(TestData::paddedJsonArray(4 * bound)) << true;
    }
    void documentsOverTheBoundAreRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, tooLarge);
        const QByteArray inflated = Gzip::inflateIfCompressed(body);
        // A bomb is not inflated further than it takes to tell that it is one.
        QVERIFY(inflated.size() <= DocumentLimit::kMaxBytes + 1);
        const auto noRow = [](const QJsonValue&, JsonDecodeStatus& status, const QString&) {
            status.fail(QStringLiteral("no row expected"));
            return 0;
        };
        const Expected<QList<int>> rows = json::decodeRows<int>(inflated, noRow);
        QCOMPARE(rows.ok(), !tooLarge);
        if (tooLarge)
            QCOMPARE(rows.failure().description, ErrorText::documentTooLarge());
    }
};

SHIGUREN_GUILESS_TEST(TestJsonReader)
#include "tst_jsonreader.moc"
