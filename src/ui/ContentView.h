#pragma once

#include <QWidget>

class AppState;
class QSplitter;
class RadarPaneView;
class RadarTileLoader;
class ToneLabel;
class ToneSymbol;
class WeatherHeaderView;

// The main window's content: the forecast header, the detail and overview radar panes side by
// side (the divider between them can be dragged), and a footer with the radar status and the
// data credits. The first time it appears it starts the controller.
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(AppState* state, QWidget* parent = nullptr,
                         RadarTileLoader* loader = nullptr);
    ~ContentView() override;

    static QString attributionText();

    // What the footer's status item says now; empty when it shows nothing.
    QString statusText() const;
    bool statusIsWarning() const;

    QSplitter* splitter() const { return m_splitter; }
    RadarPaneView* detailPane() const { return m_detail; }
    RadarPaneView* overviewPane() const { return m_overview; }
    WeatherHeaderView* header() const { return m_header; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshStatus();

    AppState* m_state;
    WeatherHeaderView* m_header;
    QSplitter* m_splitter;
    RadarPaneView* m_detail;
    RadarPaneView* m_overview;
    ToneSymbol* m_statusSymbol;
    ToneLabel* m_statusText;
    bool m_started = false;
};
