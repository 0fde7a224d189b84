#include "ui/LocationPickerPanel.h"

#include "app/AppState.h"
#include "locations/LocationStore.h"
#include "locations/PlaceSearchService.h"
#include "ui/LocationPickerRows.h"
#include "ui/PaneStyle.h"
#include "ui/ToneLabel.h"
#include "ui/ToneSymbol.h"
#include "weather/WeatherService.h"

#include <QHBoxLayout>
#include <QLayoutItem>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

ToneLabel* header(const QString& text)
{
    auto* label = new ToneLabel(text, 10, QFont::DemiBold, ToneLabel::Tone::Secondary);
    label->setObjectName(QStringLiteral("sectionHeader"));
    label->setContentsMargins(6, 4, 0, 2);
    return label;
}

// The search field's rounded, faintly tinted ground; the field itself is transparent on it.
class SearchRow : public QWidget {
public:
    explicit SearchRow(QWidget* parent)
        : QWidget(parent)
    {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(PaneStyle::faded(PaneStyle::primaryText(palette()), 0.08));
        painter.drawRoundedRect(QRectF(rect()), 6, 6);
    }
};

} // namespace

LocationPickerPanel::LocationPickerPanel(AppState* state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_searchRow(new SearchRow(this))
    , m_field(new QLineEdit(m_searchRow))
    , m_clearButton(new LocationPickerSymbolButton(QStringLiteral("xmark.circle.fill"),
                                                   PickerTone::Secondary, 12, m_searchRow))
    , m_scroll(new QScrollArea(this))
    , m_list(new QWidget)
    , m_listLayout(new QVBoxLayout(m_list))
{
    setFixedWidth(kWidth);
    setMinimumHeight(kMinimumHeight);
    setMaximumHeight(kMaximumHeight);

    auto* searchLayout = new QHBoxLayout(m_searchRow);
    searchLayout->setContentsMargins(7, 3, 3, 3);
    searchLayout->setSpacing(6);
    searchLayout->addWidget(new ToneSymbol(QStringLiteral("magnifyingglass"), 12,
                                           ToneLabel::Tone::Secondary, m_searchRow));
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(QStringLiteral("地名・郵便番号で検索"));
    m_field->setFont(PaneStyle::font(13));
    m_field->setFrame(false);
    QPalette fieldColours = m_field->palette();
    fieldColours.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(fieldColours);
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    searchLayout->addWidget(m_field, 1);
    m_clearButton->setObjectName(QStringLiteral("clearButton"));
    m_clearButton->setVisible(false);
    searchLayout->addWidget(m_clearButton);

    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setWidget(m_list);
    // The popover's panel shows through the list (setWidget turned its filling on).
    m_list->setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 10, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(m_searchRow);
    layout->addWidget(m_scroll, 1);

    connect(m_field, &QLineEdit::textChanged, this, &LocationPickerPanel::onQueryChanged);
    connect(m_clearButton, &QAbstractButton::clicked, this, [this] { setQuery(QString()); });

    PlaceSearchService* search = m_state->search();
    connect(search, &PlaceSearchService::resultsChanged, this, &LocationPickerPanel::rebuild);
    connect(search, &PlaceSearchService::isSearchingChanged, this, [this] {
        if (!m_state->search()->isSearching())
            m_awaitingSearch = false;
        rebuild();
    });
    connect(search, &PlaceSearchService::attributionChanged, this, &LocationPickerPanel::rebuild);
    LocationStore* locations = m_state->locations();
    connect(locations, &LocationStore::locationsChanged, this, &LocationPickerPanel::rebuild);
    connect(locations, &LocationStore::selectedChanged, this, &LocationPickerPanel::rebuild);
    rebuild();
}

QString LocationPickerPanel::query() const
{
    return m_field->text();
}

void LocationPickerPanel::setQuery(const QString& query)
{
    m_field->setText(query);
}

QSize LocationPickerPanel::sizeHint() const
{
    const QMargins margins = layout()->contentsMargins();
    const int height = margins.top() + m_searchRow->sizeHint().height() + layout()->spacing() +
                       m_list->sizeHint().height() + margins.bottom();
    return {kWidth, std::clamp(height, kMinimumHeight, kMaximumHeight)};
}

void LocationPickerPanel::onQueryChanged(const QString& query)
{
    m_clearButton->setVisible(!query.isEmpty());
    m_awaitingSearch = !query.trimmed().isEmpty();
    rebuild();
    m_state->search()->search(query, m_state->locations()->selected().coordinate());
}

void LocationPickerPanel::rebuild()
{
    // A row may be rebuilt away from inside its own click (a deleted favourite), so what
    // goes is hidden now and deleted once the click has finished.
    while (QLayoutItem* item = m_listLayout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    if (m_field->text().isEmpty())
        buildFavourites();
    else
        buildResults();
    m_listLayout->addStretch(1);
    updateGeometry();
}

void LocationPickerPanel::addToList(QWidget* widget)
{
    m_listLayout->addWidget(widget);
    // Shown now rather than on the layout's next turn, so the list is whole at once.
    widget->show();
}

void LocationPickerPanel::buildResults()
{
    const PlaceSearchService& search = *m_state->search();
    const bool searching = search.isSearching() || m_awaitingSearch;
    addToList(header(searching ? QStringLiteral("検索中…") : QStringLiteral("検索結果")));
    if (!search.results().isEmpty()) {
        for (const SavedLocation& result : search.results()) {
            auto* row = new LocationPickerRow(QStringLiteral("plus.circle"), PickerTone::Primary,
                                              result.name, result.subtitle);
            row->setObjectName(QStringLiteral("resultRow"));
            connect(row, &QAbstractButton::clicked, this, [this, result] {
                LocationStore* locations = m_state->locations();
                locations->add(result);
                m_state->weather()->load(locations->selected().coordinate());
                m_state->search()->clear();
                setQuery(QString());
                Q_EMIT closeRequested();
            });
            addToList(row);
        }
        if (!search.attribution().isEmpty()) {
            auto* credit =
                new ToneLabel(search.attribution(), 9, QFont::Normal, ToneLabel::Tone::Secondary);
            credit->setObjectName(QStringLiteral("credit"));
            credit->setContentsMargins(6, 4, 0, 0);
            addToList(credit);
        }
    } else if (!searching) {
        auto* none = new ToneLabel(QStringLiteral("見つかりませんでした"), 12, QFont::Normal,
                                   ToneLabel::Tone::Secondary);
        none->setObjectName(QStringLiteral("noResults"));
        none->setContentsMargins(6, 4, 0, 0);
        addToList(none);
    }
}

void LocationPickerPanel::buildFavourites()
{
    const LocationStore& store = *m_state->locations();
    addToList(header(QStringLiteral("お気に入り")));
    const bool removable = store.locations().size() >= 2;
    for (const SavedLocation& location : store.locations()) {
        const bool selected = location.id == store.selected().id;
        auto* line = new QWidget;
        auto* lineLayout = new QHBoxLayout(line);
        lineLayout->setContentsMargins(0, 0, 0, 0);
        lineLayout->setSpacing(2);
        auto* row = new LocationPickerRow(selected ? QStringLiteral("largecircle.fill.circle")
                                                   : QStringLiteral("circle"),
                                          selected ? PickerTone::Accent : PickerTone::Secondary,
                                          location.name, location.subtitle, line);
        row->setObjectName(QStringLiteral("favouriteRow"));
        connect(row, &QAbstractButton::clicked, this, [this, location] {
            m_state->select(location);
            Q_EMIT closeRequested();
        });
        lineLayout->addWidget(row, 1);
        if (removable) {
            auto* remove = new LocationPickerSymbolButton(QStringLiteral("minus.circle"),
                                                          PickerTone::Primary, 12, line);
            remove->setObjectName(QStringLiteral("deleteButton"));
            remove->setToolTip(QStringLiteral("お気に入りから削除"));
            connect(remove, &QAbstractButton::clicked, this,
                    [this, location] { m_state->locations()->remove(location); });
            lineLayout->addWidget(remove);
        }
        addToList(line);
    }
    auto* addCurrent = new LocationPickerRow(QStringLiteral("location.fill"), PickerTone::Primary,
                                             QStringLiteral("現在地を追加"), std::nullopt);
    addCurrent->setObjectName(QStringLiteral("addCurrentLocation"));
    connect(addCurrent, &QAbstractButton::clicked, this, [this] {
        Q_EMIT closeRequested();
        m_state->useCurrentLocation();
    });
    addToList(addCurrent);
}
