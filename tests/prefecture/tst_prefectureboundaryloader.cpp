#include "TestData.h"
#include "TestRegistry.h"
#include "prefecture/PrefectureBoundaryLoader.h"

#include <QRegularExpression>
#include <QTest>

namespace Loader = PrefectureBoundaryLoader;

using Groups = QList<Loader::BorderLineGroup>;

using namespace Qt::StringLiterals;

class TestPrefectureBoundaryLoader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shippedFilesLoadCompletely()
    {
        QTest::failOnWarning(QRegularExpression(u"."_s));
        // 87 features: 82 LineStrings and 5 MultiLineStrings, 95 lines in all.
        QCOMPARE(Loader::borderLines().size(), 95);
        QCOMPARE(Loader::borderLines().first().first(), (GeoCoordinate{40.2482, 140.95529}));
        QCOMPARE(Loader::labels().size(), 47);
        QCOMPARE(Loader::labels().last().coordinate(), (GeoCoordinate{26.37, 127.80}));
        QVERIFY(Loader::borderLineGroups().size() > 20);
    }

    void unusableFilesGiveNothingAndOneLogLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("log");
        const QByteArray failed = "PrefectureBorderLines.geojson の読み込み失敗: ";
        const QByteArray undecodable = "データが正しい形式ではないため読み込めませんでした";
        QTest::newRow("Polygon") << "border_with_polygon.geojson"
                                 << failed + "未対応のジオメトリ種別: Polygon";
        QTest::newRow("one-number position")
            << "border_short_position.geojson" << failed + undecodable;
        QTest::newRow("missing") << "nothing.geojson"
                                 << QByteArray(
                                        "PrefectureBorderLines.geojson がバンドルに見つかりません");
        QTest::newRow("label with a text id")
            << "labels_text_id.json"
            << "PrefectureLabels.json の読み込み失敗: " + undecodable;
    }
    void unusableFilesGiveNothingAndOneLogLine()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, log);
        QTest::ignoreMessage(QtWarningMsg, log.constData());
        QTest::failOnWarning(QRegularExpression(u"."_s));
        const QString path = TestData::path(u"prefecture/"_s + file);
        QVERIFY(file.startsWith(u"labels") ? Loader::loadLabels(path).isEmpty()
                                           : Loader::loadBorderLines(path).isEmpty());
    }

    void multiLineStringsGiveOneLinePerPart()
    {
        const QList<BorderLine> lines =
            Loader::loadBorderLines(TestData::path(u"prefecture/border_mixed.geojson"_s));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), (BorderLine{{35.5, 135.5}, {35.6, 135.6}})); // third number ignored
        QCOMPARE(lines.at(1).size(), 3);
    }

    void grouping_data()
    {
        QTest::addColumn<BorderLine>("line");
        QTest::addColumn<Groups>("expected");
        const GeoCoordinate a{35.5, 135.5}, b{35.6, 135.8}, c{35.7, 136.2}, back{35.5, 135.6};
        QTest::newRow("inside one cell") << BorderLine{a, b} << Groups{{{a, b}}};
        QTest::newRow("last point in the next cell")
            << BorderLine{a, b, c} << Groups{{{a, b, c}}, {{b, c}}};
        QTest::newRow("single point") << BorderLine{a} << Groups{};
        QTest::newRow("out and back")
            << BorderLine{a, c, back} << Groups{{{a, c}, {c, back}}, {{a, c, back}}};
        const GeoCoordinate west{35.5, 135.99}, east{35.5, 136.01};
        QTest::newRow("135.99 and 136.01")
            << BorderLine{west, east} << Groups{{{west, east}}, {{west, east}}};
        QTest::newRow("-0.5 and 0.5 share cell 0")
            << BorderLine{{0.2, -0.5}, {0.2, 0.5}} << Groups{{{{0.2, -0.5}, {0.2, 0.5}}}};
        const GeoCoordinate far{1e300, -1e300};
        QTest::newRow("absurd degrees") << BorderLine{far, far} << Groups{{{far, far}}};
    }
    void grouping()
    {
        QFETCH(BorderLine, line);
        QFETCH(Groups, expected);
        QCOMPARE(Loader::makeBorderLineGroups({line}), expected);
    }
};

SHIGUREN_GUILESS_TEST(TestPrefectureBoundaryLoader)
#include "tst_prefectureboundaryloader.moc"
