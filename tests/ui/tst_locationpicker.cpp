#include "../app/AppStateHarness.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "locations/PlaceSearchService.h"
#include "ui/LocationPickerPanel.h"
#include "ui/LocationPickerRows.h"
#include "ui/LocationPickerView.h"
#include "ui/Popover.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kAddressSearch = u"/address-search/AddressSearch"_s;
const QString kPhoton = u"/api"_s;

// The parts the panel shows; rows a change replaced are hidden until deleted.
template <typename T = QWidget>
QList<T*> shown(const QWidget* root, const QString& name)
{
    QList<T*> out;
    for (T* each : root->findChildren<T*>(name)) {
        if (each->isVisibleTo(root))
            out.append(each);
    }
    return out;
}

QStringList texts(const QWidget* root, const QString& name)
{
    QStringList out;
    for (QWidget* each : shown(root, name)) {
        if (auto* label = qobject_cast<QLabel*>(each))
            out.append(label->text());
        else if (auto* row = qobject_cast<LocationPickerRow*>(each))
            out.append(row->name());
    }
    return out;
}

QString header(const QWidget* root)
{
    return texts(root, u"sectionHeader"_s).value(0);
}

} // namespace

class TestLocationPicker : public QObject {
    Q_OBJECT

    std::unique_ptr<AppStateHarness> m_h;
    std::unique_ptr<QWidget> m_window; // holds the picker
    LocationPickerView* m_picker = nullptr;

    LocationPickerPanel* panel() const { return m_picker->panel(); }

    void serveSearch(const char* gsiFile, const char* photonFile = "photon/empty.json",
                     int delayMs = 0)
    {
        m_h->server.setRoute(
            kAddressSearch,
            FakeResponse::json(TestData::read(u"geocoding/gsi/"_s + QLatin1String(gsiFile)))
                .withDelay(delayMs));
        m_h->server.setRoute(kPhoton, FakeResponse::json(TestData::read(
                                          u"geocoding/"_s + QLatin1String(photonFile))));
    }

    // Types `text`, lets the debounce pass and waits for the search to end.
    void searchFor(const QString& text)
    {
        panel()->searchField()->setText(text);
        m_h->clock.advanceSeconds(PlaceSearchService::kDebounceSeconds);
        QVERIFY(QTest::qWaitFor([&] { return !m_h->state->search()->isSearching(); }, 5000));
    }

    void addFavourite(const QString& name, double latitude, double longitude)
    {
        const SavedLocation selected = m_h->locations->selected();
        m_h->locations->add(SavedLocation::create(name, u"東京都"_s, latitude, longitude));
        m_h->locations->setSelected(selected);
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(u"Fusion"_s)); }

    void init()
    {
        m_h = std::make_unique<AppStateHarness>();
        m_window = std::make_unique<QWidget>();
        m_window->resize(420, 120);
        m_picker = new LocationPickerView(m_h->state.get(), m_window.get());
        m_picker->move(20, 20);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_h.reset();
    }

    void buttonOpensThePopoverAndFollowsTheSelection()
    {
        QCOMPARE(m_picker->button()->text(), u"東京"_s);
        QTest::mouseClick(m_picker->button(), Qt::LeftButton);
        QVERIFY(m_picker->isPresented() && m_picker->popover()->isVisible());
        QVERIFY(panel()->height() >= 260 && panel()->height() <= 380);
        QCOMPARE(header(panel()), u"お気に入り"_s);

        addFavourite(u"皇居"_s, 35.6850, 139.7540);
        QTest::mouseClick(shown(panel(), u"favouriteRow"_s).at(1), Qt::LeftButton);
        QCOMPARE(m_h->locations->selected().name, u"皇居"_s);
        QVERIFY(!m_picker->isPresented() && !m_picker->popover()->isVisible());
        QCOMPARE(m_picker->button()->text(), u"皇居"_s);
    }

    void deleteButtonsOnlyWithTwoFavourites()
    {
        m_picker->setPresented(true);

        addFavourite(u"大阪"_s, 34.7025, 135.4959);
        QCOMPARE(texts(panel(), u"favouriteRow"_s), (QStringList{u"東京"_s, u"大阪"_s}));
        QCOMPARE(shown(panel(), u"deleteButton"_s).size(), 2);

        // Deleting the selected one selects the other; the popover stays open.
        QTest::mouseClick(shown(panel(), u"deleteButton"_s).at(0), Qt::LeftButton);
        QCOMPARE(texts(panel(), u"favouriteRow"_s), QStringList{u"大阪"_s});
        QCOMPARE(shown(panel(), u"deleteButton"_s).size(), 0);
        QCOMPARE(m_h->locations->selected().name, u"大阪"_s);
        QVERIFY(m_picker->isPresented());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void searchShowsProgressThenResults()
    {
        serveSearch("address_search_reconstructed_chiyoda.json", "photon/empty.json", 400);
        m_picker->setPresented(true);
        panel()->searchField()->setText(u"千代田"_s);
        // Waiting out the debounce is searching too, not "nothing found".
        QCOMPARE(header(panel()), u"検索中…"_s);
        QVERIFY(shown(panel(), u"noResults"_s).isEmpty());
        m_h->clock.advanceSeconds(PlaceSearchService::kDebounceSeconds);
        QVERIFY(QTest::qWaitFor([&] { return m_h->state->search()->isSearching(); }, 2000));
        QCOMPARE(header(panel()), u"検索中…"_s);
        QVERIFY(shown(panel(), u"noResults"_s).isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return !m_h->state->search()->isSearching(); }, 5000));
        QCOMPARE(header(panel()), u"検索結果"_s);
        QCOMPARE(texts(panel(), u"resultRow"_s),
                 (QStringList{u"千代田区丸の内一丁目"_s, u"千代田区千代田"_s}));
        QVERIFY(shown(panel(), u"credit"_s).isEmpty()); // GSI needs no OpenStreetMap credit

        // Closing keeps the query and its results.
        QTest::keyClick(m_picker->popover(), Qt::Key_Escape);
        QVERIFY(!m_picker->isPresented());
        m_picker->setPresented(true);
        QCOMPARE(m_picker->query(), u"千代田"_s);
        QCOMPARE(shown(panel(), u"resultRow"_s).size(), 2);

        // The clear button brings the favourites back and empties the results.
        QTest::mouseClick(shown(panel(), u"clearButton"_s).at(0), Qt::LeftButton);
        QVERIFY(m_h->state->search()->results().isEmpty());
        QCOMPARE(header(panel()), u"お気に入り"_s);
        QCOMPARE(shown(panel(), u"favouriteRow"_s).size(), 1);
        QVERIFY(shown(panel(), u"clearButton"_s).isEmpty());
    }

    void noMatchesThenPhotonResultsWithTheirCredit()
    {
        serveSearch("address_search_empty.json");
        m_picker->setPresented(true);
        searchFor(u"ｘｙｚｚｙ"_s);
        QCOMPARE(header(panel()), u"検索結果"_s);
        QCOMPARE(texts(panel(), u"noResults"_s), QStringList{u"見つかりませんでした"_s});
        QVERIFY(shown(panel(), u"resultRow"_s).isEmpty());

        serveSearch("address_search_empty.json", "photon/search_shinjuku_reconstructed.json");
        searchFor(u"新宿御苑"_s);
        QVERIFY(!shown(panel(), u"resultRow"_s).isEmpty() &&
                shown(panel(), u"noResults"_s).isEmpty());
        QCOMPARE(texts(panel(), u"credit"_s), QStringList{u"© OpenStreetMap contributors"_s});
    }

    void choosingAResultNearAFavouriteSelectsIt()
    {
        serveSearch("address_search_reconstructed_chiyoda.json");
        addFavourite(u"皇居"_s, 35.6850, 139.7540); // 0.0002° and 0.0004° from 千代田区千代田
        m_picker->setPresented(true);
        searchFor(u"千代田"_s);
        QCOMPARE(texts(panel(), u"resultRow"_s).value(1), u"千代田区千代田"_s);

        QTest::mouseClick(shown(panel(), u"resultRow"_s).at(1), Qt::LeftButton);
        QCOMPARE(m_h->locations->selected().name, u"皇居"_s);
        QCOMPARE(m_h->locations->locations().size(), 2);
        QVERIFY(!m_picker->isPresented() && panel()->query().isEmpty());

        // A result away from every favourite is added and selected. The results now come
        // nearest to 皇居 first.
        m_picker->setPresented(true);
        searchFor(u"千代田"_s);
        const QList<LocationPickerRow*> rows = shown<LocationPickerRow>(panel(), u"resultRow"_s);
        QCOMPARE(rows.at(1)->name(), u"千代田区丸の内一丁目"_s);
        QTest::mouseClick(rows.at(1), Qt::LeftButton);
        QCOMPARE(m_h->locations->locations().size(), 3);
        QCOMPARE(m_h->locations->selected().name, u"千代田区丸の内一丁目"_s);
    }
};

SHIGUREN_TEST(TestLocationPicker)
#include "tst_locationpicker.moc"
