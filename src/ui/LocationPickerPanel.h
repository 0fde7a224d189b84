#pragma once

#include <QString>
#include <QWidget>

class AppState;
class LocationPickerSymbolButton;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

// The inside of the location picker's popover: the search field, then either the search's
// results (while there is any text in the field) or the favourites with "現在地を追加".
// Every change of the text starts a search near the selected location. Choosing a result
// saves it (or selects the favourite already at that place), loads its forecast and empties
// the field; choosing a favourite selects it; both then ask for the popover to close.
//
// Object names for the parts: "searchField", "clearButton", "sectionHeader", "resultRow",
// "noResults", "credit", "favouriteRow", "deleteButton", "addCurrentLocation". Rows that a
// change replaced are hidden at once and deleted later.
class LocationPickerPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 300;
    static constexpr int kMinimumHeight = 260;
    static constexpr int kMaximumHeight = 380;

    explicit LocationPickerPanel(AppState* state, QWidget* parent = nullptr);

    QString query() const;
    void setQuery(const QString& query);
    QLineEdit* searchField() const { return m_field; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void closeRequested();

private:
    void onQueryChanged(const QString& query);
    void rebuild();
    void buildResults();
    void buildFavourites();
    void addToList(QWidget* widget);

    AppState* m_state;
    QWidget* m_searchRow;
    QLineEdit* m_field;
    LocationPickerSymbolButton* m_clearButton;
    QScrollArea* m_scroll;
    QWidget* m_list;
    QVBoxLayout* m_listLayout;
    // Typed, but the search for it has not ended yet (it waits out the debounce first): no
    // "nothing found" for a query nobody has looked up.
    bool m_awaitingSearch = false;
};
