#include "ui/MainToolBar.h"

#include "app/AppSettings.h"
#include "app/AppState.h"
#include "platform/Appearance.h"
#include "platform/Icons.h"
#include "ui/LocationPickerView.h"
#include "ui/PaneStyle.h"
#include "ui/Popover.h"
#include "ui/PopoverScrollArea.h"
#include "ui/SettingsView.h"

#include <QButtonGroup>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {

const QString kModeHelp =
    QStringLiteral("ライブ＝最新の雨雲だけを表示し続ける／再生＝過去のコマから順に再生する");

// Room the settings form takes in its popover before it scrolls.
constexpr int kSettingsPopoverHeight = 600;

} // namespace

MainToolBar::MainToolBar(AppState* state, QWidget* parent)
    : QToolBar(parent)
    , m_state(state)
{
    setObjectName(QStringLiteral("mainToolBar"));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(14, 14));
    setFocusPolicy(Qt::NoFocus);

    m_picker = new LocationPickerView(state, this);
    addWidget(m_picker);
    addSeparator();

    // 表示モード: one segment per mode, 再生 then ライブ.
    auto* modes = new QWidget(this);
    modes->setToolTip(kModeHelp);
    modes->setAccessibleName(QStringLiteral("表示モード"));
    auto* segments = new QHBoxLayout(modes);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    auto* group = new QButtonGroup(modes);
    group->setExclusive(true);
    const auto segment = [&](const QString& label) {
        auto* button = new QToolButton(modes);
        button->setText(label);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setToolTip(kModeHelp);
        group->addButton(button);
        segments->addWidget(button);
        return button;
    };
    m_animation = segment(QStringLiteral("再生"));
    m_live = segment(QStringLiteral("ライブ"));
    addWidget(modes);
    connect(m_animation, &QToolButton::clicked, this,
            [this] { m_state->setPlaybackMode(RadarPlaybackMode::Animation); });
    connect(m_live, &QToolButton::clicked, this,
            [this] { m_state->setPlaybackMode(RadarPlaybackMode::Live); });
    addSeparator();

    m_currentLocation =
        addButton(QStringLiteral("location"), QStringLiteral("現在地"),
                  QStringLiteral("現在地の雨雲と天気を表示（位置情報の許可を求めます）"));
    connect(m_currentLocation, &QToolButton::clicked, this,
            [this] { m_state->useCurrentLocation(); });

    m_settings = addButton(QStringLiteral("gearshape"), QStringLiteral("優先設定"), {});
    m_settingsPopover = new Popover(this);
    auto* settingsView = new SettingsView(state);
    settingsView->setTakesKeyboardFocus(false);
    // The whole form is taller than many screens leave under the toolbar.
    m_settingsPopover->setContent(new PopoverScrollArea(settingsView, kSettingsPopoverHeight));
    connect(m_settings, &QToolButton::clicked, this,
            [this] { m_settingsPopover->toggleAnchoredTo(m_settings); });

    m_redraw = addButton(
        QStringLiteral("arrow.clockwise"), QStringLiteral("再描画"),
        QStringLiteral(
            "雨雲タイルや範囲円がズーム・リサイズ後に消えたままのとき、手動で強制的に取得し直す"));
    connect(m_redraw, &QToolButton::clicked, this, [this] { m_state->forceRadarRedraw(); });

    connect(state->settings(), &AppSettings::playbackModeChanged, this, [this] { refreshMode(); });
    connect(&Appearance::instance(), &Appearance::darkChanged, this, [this] { refreshIcons(); });
    refreshMode();
    refreshIcons();
}

QToolButton* MainToolBar::addButton(const QString& symbol, const QString& label,
                                    const QString& help)
{
    auto* button = new QToolButton(this);
    button->setText(label);
    button->setProperty("symbol", symbol);
    button->setToolTip(help);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    addWidget(button);
    return button;
}

void MainToolBar::refreshMode()
{
    const bool live = m_state->settings()->playbackMode() == RadarPlaybackMode::Live;
    m_live->setChecked(live);
    m_animation->setChecked(!live);
}

void MainToolBar::refreshIcons()
{
    // The application palette: this bar's own may not have followed a theme switch yet.
    const QColor ink = PaneStyle::primaryText(QGuiApplication::palette());
    m_animation->setIcon(Icons::icon(QStringLiteral("play.circle"), ink));
    m_live->setIcon(Icons::icon(QStringLiteral("dot.radiowaves.left.and.right"), ink));
    for (QToolButton* button : {m_currentLocation, m_settings, m_redraw})
        button->setIcon(Icons::icon(button->property("symbol").toString(), ink));
}
