#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

class AppState;
class LocationPickerPanel;
class Popover;
class ToneLabel;

// The closed location picker: a borderless button showing the selected location's name
// between a pin and an up-down chevron. Takes no keyboard focus, so the arrow keys stay
// with the radar.
class LocationPickerButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit LocationPickerButton(QWidget* parent = nullptr);

    void setName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ToneLabel* m_name;
};

// The compact control with which the user chooses the location whose forecast and range
// rings are shown. Closed it is a button with the selected location's name; clicking it
// opens a popover under it (see LocationPickerPanel) to search for places, pick or delete
// favourites and add the current location. The search text stays when the popover closes;
// only choosing a result empties it.
class LocationPickerView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool isPresented READ isPresented WRITE setPresented NOTIFY isPresentedChanged)

public:
    explicit LocationPickerView(AppState* state, QWidget* parent = nullptr);
    ~LocationPickerView() override;

    bool isPresented() const { return m_presented; }
    void setPresented(bool presented);

    QString query() const;
    void setQuery(const QString& query);

    LocationPickerButton* button() const { return m_button; }
    LocationPickerPanel* panel() const { return m_panel; }
    Popover* popover() const { return m_popover; }

Q_SIGNALS:
    void isPresentedChanged(bool presented);

private:
    void onPopoverClosed();

    AppState* m_state;
    LocationPickerButton* m_button;
    Popover* m_popover;
    LocationPickerPanel* m_panel;
    bool m_presented = false;
};
