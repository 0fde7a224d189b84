#include "TestRegistry.h"
#include "locations/LocationStore.h"
#include "platform/Preferences.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString kLocationsKey = u"Shiguren.savedLocations"_s;
const QString kSelectedKey = u"Shiguren.selectedLocationID"_s;

SavedLocation place(const char* name, double latitude, double longitude)
{
    return SavedLocation::create(QString::fromUtf8(name), std::nullopt, latitude, longitude);
}

} // namespace

class TestLocationStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_defaults;
    int m_files = 0;

    std::optional<SavedLocations> persisted() const
    {
        return decodeSavedLocations(m_defaults->value(kLocationsKey).toByteArray());
    }

private Q_SLOTS:
    void init() { m_defaults = Preferences::openFile(m_dir.filePath(QString::number(++m_files))); }

    void jsonForm()
    {
        const SavedLocation sapporo = place("札幌", 43.0642, 141.3469);
        const QByteArray bytes = *encodeSavedLocations({sapporo});
        const QByteArray id = sapporo.id.toString(QUuid::WithoutBraces).toUtf8();
        QCOMPARE(bytes, "[{\"id\":\"" + id.toUpper() +
                            "\",\"latitude\":43.0642,\"longitude\":141.3469,\"name\":\"札幌\"}]");
        QCOMPARE(decodeSavedLocations(bytes.toLower()).value().first().id, sapporo.id);
        QVERIFY(!decodeSavedLocations(QByteArray(bytes).replace(id.toUpper(), "{" + id + "}")));
        // A coordinate JSON cannot spell makes the list unwritable rather than unreadable.
        QVERIFY(!encodeSavedLocations({place("x", std::numeric_limits<double>::quiet_NaN(), 0)}));
    }

    void firstStartIsTokyoAndWritesOnlyTheSelection_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("nothing stored") << QVariant();
        QTest::newRow("empty list") << QVariant(QByteArray("[]"));
        QTest::newRow("a string, not bytes")
            << QVariant(QString::fromUtf8(*encodeSavedLocations({place("大阪", 34.7, 135.5)})));
    }
    void firstStartIsTokyoAndWritesOnlyTheSelection()
    {
        QFETCH(QVariant, stored);
        if (stored.isValid())
            m_defaults->setValue(kLocationsKey, stored);
        const QStringList keys = m_defaults->allKeys();
        LocationStore store(m_defaults.get());
        const SavedLocation tokyo{SavedLocation::tokyo().id, u"東京"_s, u"東京都"_s, 35.6812,
                                  139.7671};
        QCOMPARE(store.locations(), SavedLocations{tokyo});
        QCOMPARE(store.selected(), tokyo);
        QCOMPARE(m_defaults->allKeys(), keys);

        // Choosing the selected place again writes its id, and nothing else.
        QSignalSpy spy(&store, &LocationStore::selectedChanged);
        store.setSelected(tokyo);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_defaults->value(kSelectedKey), QVariant(uuidText(tokyo.id)));
        QCOMPARE(m_defaults->value(kLocationsKey), stored);
    }

    void storedSelection()
    {
        const SavedLocations saved{place("大阪", 34.6937, 135.5023), place("札幌", 43.0, 141.3)};
        m_defaults->setValue(kLocationsKey, *encodeSavedLocations(saved));
        const QString second = saved.at(1).id.toString(QUuid::WithoutBraces);
        const QList<std::pair<QVariant, int>> cases = {
            {second.toLower(), 1},
            {QUuid::createUuid().toString(QUuid::WithoutBraces), 0},
            {second.toUtf8(), 0}, // bytes are not a string
            {QVariant(), 0}};
        for (const auto& [id, index] : cases) {
            m_defaults->setValue(kSelectedKey, id);
            LocationStore store(m_defaults.get());
            QCOMPARE(store.locations(), saved);
            QCOMPARE(store.selected(), saved.at(index));
        }
    }

    void addingNearAnExistingPlaceSelectsIt_data()
    {
        QTest::addColumn<double>("north");
        QTest::addColumn<double>("east");
        QTest::addColumn<bool>("samePlace");
        QTest::newRow("0.0009 north") << 0.0009 << 0.0 << true;
        QTest::newRow("0.0009 south-west") << -0.0009 << -0.0009 << true;
        QTest::newRow("0.001 north") << 0.001 << 0.0 << false;
        QTest::newRow("0.001 east") << 0.0 << 0.001 << false;
    }
    void addingNearAnExistingPlaceSelectsIt()
    {
        QFETCH(double, north);
        QFETCH(double, east);
        QFETCH(bool, samePlace);
        LocationStore store(m_defaults.get());
        const SavedLocation osaka = place("大阪", 34.6937, 135.5023);
        store.add(osaka);
        store.setSelected(store.locations().first());
        const SavedLocation near = place("大阪駅", 34.6937 + north, 135.5023 + east);
        store.add(near);
        QCOMPARE(store.locations().size(), samePlace ? 2 : 3);
        QCOMPARE(store.selected(), samePlace ? osaka : near); // a favourite keeps its name
        QCOMPARE(persisted(), store.locations());
        QCOMPARE(m_defaults->value(kSelectedKey), QVariant(uuidText(store.selected().id)));
    }

    void removeRules()
    {
        LocationStore store(m_defaults.get());
        const SavedLocation tokyo = store.selected();
        store.remove(tokyo);
        QCOMPARE(store.locations(), SavedLocations{tokyo});
        QVERIFY(!m_defaults->contains(kLocationsKey));

        const SavedLocation osaka = place("大阪", 34.6937, 135.5023);
        const SavedLocation sapporo = place("札幌", 43.0642, 141.3469);
        store.add(osaka);
        store.add(sapporo);
        store.remove(osaka); // not selected: the selection stays
        QCOMPARE(store.selected(), sapporo);
        store.remove(sapporo);
        QCOMPARE(store.locations(), SavedLocations{tokyo});
        QCOMPARE(store.selected(), tokyo);
        QCOMPARE(persisted(), SavedLocations{tokyo});
        QCOMPARE(m_defaults->value(kSelectedKey), QVariant(uuidText(tokyo.id)));

        // Replaced lists: never empty, and a shared id cannot remove them all.
        store.setLocations({});
        store.setLocations({tokyo, tokyo});
        store.remove(tokyo);
        QCOMPARE(store.locations(), (SavedLocations{tokyo, tokyo}));
    }
};

SHIGUREN_GUILESS_TEST(TestLocationStore)
#include "tst_locationstore.moc"
