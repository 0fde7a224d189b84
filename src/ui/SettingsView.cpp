#include "ui/SettingsView.h"

#include "app/AppSettings.h"
#include "app/AppState.h"
#include "platform/Autostart.h"
#include "ui/PaneStyle.h"
#include "ui/SettingsViewControls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include <array>
#include <cmath>

namespace {

const QString kLaunchAtLoginNote =
    QStringLiteral("デスクトップにログインしたとき、Shiguren を自動で起動します。");

int integerPart(double value)
{
    // Truncation toward zero of what is shown: 0.29 × 100 lies just below 29.
    return int(std::trunc(value));
}

} // namespace

struct SettingsView::Controls {
    SettingsSegmentedPicker* theme = nullptr;
    SettingsSegmentedPicker* playbackMode = nullptr;
    SettingsSegmentedPicker* range = nullptr;
    SettingsStepSlider* radarOpacity = nullptr;
    SettingsStepSlider* textScale = nullptr;
    SettingsStepSlider* framesPerSecond = nullptr;
    SettingsStepSlider* loopPause = nullptr;
    SettingsStepSlider* stepMinutes = nullptr;
    SettingsStepSlider* forecastHorizonHours = nullptr;
    SettingsText* radarOpacityValue = nullptr;
    SettingsText* textScaleValue = nullptr;
    SettingsText* framesPerSecondValue = nullptr;
    SettingsText* loopPauseValue = nullptr;
    SettingsText* stepMinutesValue = nullptr;
    SettingsText* forecastHorizonHoursValue = nullptr;
    SettingsText* playbackModeNote = nullptr;
    SettingsText* rangeNote = nullptr;
    std::array<QWidget*, 3> playbackRows{};
    QWidget* forecastHorizonRow = nullptr;
    QCheckBox* includeForecast = nullptr;
    QCheckBox* showTyphoon = nullptr;
    QCheckBox* showLightning = nullptr;
    QCheckBox* showThunder = nullptr;
    QCheckBox* showTornado = nullptr;
    QCheckBox* showPrefectureBorders = nullptr;
    QCheckBox* showPrefectureLabels = nullptr;
    QCheckBox* launchAtLogin = nullptr;
};

SettingsView::SettingsView(AppState* state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_controls(std::make_unique<Controls>())
{
    setFixedWidth(kWidth);
    setMinimumHeight(kMinimumHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    // The form's own background shows through, in the popover as in the window.
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setWidget(buildForm());
    m_scroll->widget()->setAutoFillBackground(false);
    layout->addWidget(m_scroll);

    AppSettings* settings = m_state->settings();
    for (auto changed :
         {&AppSettings::themeChanged, &AppSettings::radarOpacityChanged,
          &AppSettings::textScaleChanged, &AppSettings::playbackModeChanged,
          &AppSettings::framesPerSecondChanged, &AppSettings::loopPauseChanged,
          &AppSettings::stepMinutesChanged, &AppSettings::rangeChanged,
          &AppSettings::includeForecastChanged, &AppSettings::forecastHorizonHoursChanged,
          &AppSettings::showTyphoonChanged, &AppSettings::showLightningChanged,
          &AppSettings::showPrefectureBordersChanged, &AppSettings::showPrefectureLabelsChanged,
          &AppSettings::showThunderChanged, &AppSettings::showTornadoChanged})
        connect(settings, changed, this, &SettingsView::refresh);
    refresh();
    applyFocusPolicy();
}

SettingsView::~SettingsView() = default;

QSize SettingsView::sizeHint() const
{
    // The notes wrap, so the form's height depends on the width it gets; the scroll area
    // also weighs the form's own hint, so ask for whichever is taller to show it all.
    const QWidget* form = m_scroll->widget();
    int formHeight = form->sizeHint().height();
    if (form->hasHeightForWidth())
        formHeight = std::max(formHeight, form->heightForWidth(kWidth));
    return {kWidth, std::max(kMinimumHeight, formHeight)};
}

QWidget* SettingsView::buildForm()
{
    Controls& c = *m_controls;
    AppSettings* settings = m_state->settings();
    AppState* state = m_state;

    auto* form = new QWidget;
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);

    using SettingsForm::caption;
    using SettingsForm::note;
    using SettingsForm::picker;
    using SettingsForm::pickerRow;
    using SettingsForm::row;
    using SettingsForm::toggle;
    const auto sliderRow = [&](const QString& name, const QString& text, double minimum,
                               double maximum, double step, SettingsStepSlider** slider,
                               SettingsText** value) {
        QGridLayout* grid = nullptr;
        QWidget* widget = row(name, grid);
        *slider = new SettingsStepSlider(minimum, maximum, step, widget);
        (*slider)->setObjectName(name);
        *value = new SettingsText(QString(), SettingsForm::kNoteSize, QFont::Normal, true, widget);
        (*value)->setObjectName(name + QStringLiteral("Value"));
        (*value)->setWordWrap(true);
        grid->addWidget(caption(text, widget), 0, 0);
        grid->addWidget(*slider, 0, 1);
        grid->addWidget(*value, 1, 0, 1, 2);
        return widget;
    };
    // 1. 表示
    auto* display = new SettingsSection(QStringLiteral("表示"), form);
    QStringList themeLabels;
    for (ThemePreference theme : allThemePreferences())
        themeLabels.append(displayLabel(theme));
    c.theme = picker(QStringLiteral("theme"), themeLabels);
    display->addRow(pickerRow(QStringLiteral("theme"), QStringLiteral("テーマ"), c.theme, nullptr));
    display->addRow(sliderRow(QStringLiteral("radarOpacity"), QStringLiteral("雨雲の不透明度"), 0.2,
                              1.0, 0, &c.radarOpacity, &c.radarOpacityValue));
    display->addRow(sliderRow(QStringLiteral("textScale"), QStringLiteral("天気表示の文字サイズ"),
                              0.8, 1.6, 0.1, &c.textScale, &c.textScaleValue));
    c.showThunder = toggle(QStringLiteral("showThunder"), QStringLiteral("雷活動度"));
    c.showTornado = toggle(QStringLiteral("showTornado"), QStringLiteral("竜巻発生確度"));
    display->addRow(c.showThunder);
    display->addRow(c.showTornado);
    display->addRow(
        note(QStringLiteral("気象庁のナウキャスト（10分ごと、1時間先まで）を雨雲の時刻に"
                            "合わせて重ねます。該当する地域がなければ何も表示しません。"),
             QStringLiteral("hazardNote"), nullptr));
    layout->addWidget(display);

    // 2. 再生
    auto* playback = new SettingsSection(QStringLiteral("再生"), form);
    QStringList modeLabels;
    for (RadarPlaybackMode mode : allRadarPlaybackModes())
        modeLabels.append(mode == RadarPlaybackMode::Live ? QStringLiteral("ライブ")
                                                          : QStringLiteral("再生"));
    c.playbackMode = picker(QStringLiteral("playbackMode"), modeLabels);
    playback->addRow(pickerRow(QStringLiteral("playbackMode"), QStringLiteral("表示モード"),
                               c.playbackMode, &c.playbackModeNote));
    c.playbackRows[0] = sliderRow(QStringLiteral("framesPerSecond"), QStringLiteral("再生速度"),
                                  1.0, 12.0, 0.5, &c.framesPerSecond, &c.framesPerSecondValue);
    c.playbackRows[1] =
        sliderRow(QStringLiteral("loopPause"), QStringLiteral("最終コマで止まる時間"), 0.0, 4.0,
                  0.2, &c.loopPause, &c.loopPauseValue);
    c.playbackRows[2] = sliderRow(QStringLiteral("stepMinutes"), QStringLiteral("再生の時間刻み"),
                                  5, 60, 5, &c.stepMinutes, &c.stepMinutesValue);
    for (QWidget* each : c.playbackRows)
        playback->addRow(each);
    layout->addWidget(playback);

    // 3. レーダー
    auto* radar = new SettingsSection(QStringLiteral("レーダー"), form);
    QStringList rangeLabels;
    for (RadarRange range : allRadarRanges())
        rangeLabels.append(range == RadarRange::TwelveHours ? QStringLiteral("12時間")
                                                            : QStringLiteral("3時間"));
    c.range = picker(QStringLiteral("range"), rangeLabels);
    radar->addRow(
        pickerRow(QStringLiteral("range"), QStringLiteral("遡る範囲"), c.range, &c.rangeNote));
    c.includeForecast =
        toggle(QStringLiteral("includeForecast"), QStringLiteral("予測のコマも再生に含める"));
    radar->addRow(c.includeForecast);
    c.forecastHorizonRow = sliderRow(QStringLiteral("forecastHorizonHours"),
                                     QStringLiteral("予測をどこまで表示するか"), 1, 15, 1,
                                     &c.forecastHorizonHours, &c.forecastHorizonHoursValue);
    static_cast<QGridLayout*>(c.forecastHorizonRow->layout())
        ->addWidget(
            note(QStringLiteral("ライブでは設定にかかわらず、予測のある15時間先までシークできます"),
                 QStringLiteral("forecastHorizonNote"), c.forecastHorizonRow),
            2, 0, 1, 2);
    radar->addRow(c.forecastHorizonRow);
    layout->addWidget(radar);

    // 4. 台風, 5. 雷: a toggle with its note.
    const auto noted = [&](const QString& title, QCheckBox* box, const QString& text) {
        auto* section = new SettingsSection(title, form);
        section->addRow(box);
        section->addRow(note(text, box->objectName() + QStringLiteral("Note"), nullptr));
        layout->addWidget(section);
    };
    c.showTyphoon = toggle(QStringLiteral("showTyphoon"), QStringLiteral("台風情報を地図に重ねる"));
    noted(QStringLiteral("台風"), c.showTyphoon,
          QStringLiteral(
              "現在位置・進路予想・予報円を表示します。気象庁の発表を10分ごとに確認します。"));
    c.showLightning =
        toggle(QStringLiteral("showLightning"), QStringLiteral("落雷(対地放電)を地図に重ねる"));
    noted(QStringLiteral("雷"), c.showLightning,
          QStringLiteral("対地放電のみを表示します。60秒ごとに気象庁の雷観測を確認します。"));

    // 6. 都道府県境
    auto* prefectures = new SettingsSection(QStringLiteral("都道府県境"), form);
    c.showPrefectureBorders =
        toggle(QStringLiteral("showPrefectureBorders"), QStringLiteral("境界線を地図に重ねる"));
    c.showPrefectureLabels =
        toggle(QStringLiteral("showPrefectureLabels"), QStringLiteral("県名ラベルを表示"));
    prefectures->addRow(c.showPrefectureBorders);
    prefectures->addRow(c.showPrefectureLabels);
    layout->addWidget(prefectures);

    // 7. 起動: the autostart entry is the setting, so it is read from there, not stored.
    c.launchAtLogin = toggle(QStringLiteral("launchAtLogin"), QStringLiteral("ログイン時に起動"));
    c.launchAtLogin->setChecked(Autostart::isEnabled());
    noted(QStringLiteral("起動"), c.launchAtLogin, kLaunchAtLoginNote);
    layout->addStretch(1);

    // Writes: the timeline and playback options through the controller, the rest straight
    // into the settings.
    connect(c.theme, &SettingsSegmentedPicker::activated, this, [settings](int index) {
        settings->setTheme(allThemePreferences().value(index, ThemePreference::System));
    });
    connect(c.radarOpacity, &SettingsStepSlider::valueEdited, settings,
            &AppSettings::setRadarOpacity);
    connect(c.textScale, &SettingsStepSlider::valueEdited, settings, &AppSettings::setTextScale);
    connect(c.playbackMode, &SettingsSegmentedPicker::activated, this, [state](int index) {
        state->setPlaybackMode(allRadarPlaybackModes().value(index, RadarPlaybackMode::Animation));
    });
    const auto playbackSetter = [&](SettingsStepSlider* slider, void (AppSettings::*set)(double)) {
        connect(slider, &SettingsStepSlider::valueEdited, this, [state, settings, set](double v) {
            (settings->*set)(v);
            state->applyPlaybackSettings();
        });
    };
    playbackSetter(c.framesPerSecond, &AppSettings::setFramesPerSecond);
    playbackSetter(c.loopPause, &AppSettings::setLoopPause);
    playbackSetter(c.stepMinutes, &AppSettings::setStepMinutes);
    connect(c.range, &SettingsSegmentedPicker::activated, this, [state](int index) {
        state->changeRange(allRadarRanges().value(index, RadarRange::ThreeHours));
    });
    connect(c.includeForecast, &QCheckBox::clicked, state, &AppState::setIncludeForecast);
    connect(c.forecastHorizonHours, &SettingsStepSlider::valueEdited, state,
            &AppState::setForecastHorizonHours);
    connect(c.showTyphoon, &QCheckBox::clicked, settings, &AppSettings::setShowTyphoon);
    connect(c.showLightning, &QCheckBox::clicked, settings, &AppSettings::setShowLightning);
    connect(c.showThunder, &QCheckBox::clicked, settings, &AppSettings::setShowThunder);
    connect(c.showTornado, &QCheckBox::clicked, settings, &AppSettings::setShowTornado);
    connect(c.showPrefectureBorders, &QCheckBox::clicked, settings,
            &AppSettings::setShowPrefectureBorders);
    connect(c.showPrefectureLabels, &QCheckBox::clicked, settings,
            &AppSettings::setShowPrefectureLabels);
    connect(c.launchAtLogin, &QCheckBox::clicked, this, [this, box = c.launchAtLogin](bool on) {
        const bool written = Autostart::setEnabled(on);
        box->setChecked(Autostart::isEnabled());
        auto* note = findChild<QLabel*>(QStringLiteral("launchAtLoginNote"));
        note->setText(written ? kLaunchAtLoginNote
                              : QStringLiteral("自動起動の設定を書き込めませんでした（%1）")
                                    .arg(QDir::toNativeSeparators(Autostart::entryPath())));
    });
    return form;
}

void SettingsView::refresh()
{
    Controls& c = *m_controls;
    const AppSettings& s = *m_state->settings();

    c.theme->setCurrentIndex(int(allThemePreferences().indexOf(s.theme())));
    c.radarOpacity->showValue(s.radarOpacity());
    c.radarOpacityValue->setText(percentText(s.radarOpacity()));
    c.textScale->showValue(s.textScale());
    c.textScaleValue->setText(percentText(s.textScale()));

    const bool live = s.playbackMode() == RadarPlaybackMode::Live;
    c.playbackMode->setCurrentIndex(int(allRadarPlaybackModes().indexOf(s.playbackMode())));
    c.playbackModeNote->setText(playbackModeNote(live));
    c.framesPerSecond->showValue(s.framesPerSecond());
    c.framesPerSecondValue->setText(framesPerSecondText(s.framesPerSecond()));
    c.loopPause->showValue(s.loopPause());
    c.loopPauseValue->setText(loopPauseText(s.loopPause()));
    c.stepMinutes->showValue(s.stepMinutes());
    c.stepMinutesValue->setText(stepMinutesText(s.stepMinutes()));
    for (QWidget* each : c.playbackRows)
        each->setEnabled(!live);

    c.range->setCurrentIndex(int(allRadarRanges().indexOf(s.range())));
    c.rangeNote->setText(rangeNote(s.range() == RadarRange::TwelveHours));
    c.includeForecast->setChecked(s.includeForecast());
    c.forecastHorizonHours->showValue(s.forecastHorizonHours());
    c.forecastHorizonHoursValue->setText(forecastHorizonText(s.forecastHorizonHours()));
    c.forecastHorizonRow->setEnabled(s.includeForecast());

    c.showTyphoon->setChecked(s.showTyphoon());
    c.showLightning->setChecked(s.showLightning());
    c.showThunder->setChecked(s.showThunder());
    c.showTornado->setChecked(s.showTornado());
    c.showPrefectureBorders->setChecked(s.showPrefectureBorders());
    c.showPrefectureLabels->setChecked(s.showPrefectureLabels());
}

void SettingsView::setTakesKeyboardFocus(bool takes)
{
    if (m_takesKeyboardFocus == takes)
        return;
    m_takesKeyboardFocus = takes;
    applyFocusPolicy();
}

void SettingsView::applyFocusPolicy()
{
    const Qt::FocusPolicy policy = m_takesKeyboardFocus ? Qt::StrongFocus : Qt::NoFocus;
    Controls& c = *m_controls;
    for (SettingsSegmentedPicker* picker : {c.theme, c.playbackMode, c.range})
        picker->setButtonFocusPolicy(m_takesKeyboardFocus ? Qt::TabFocus : Qt::NoFocus);
    for (SettingsStepSlider* slider : {c.radarOpacity, c.textScale, c.framesPerSecond, c.loopPause,
                                       c.stepMinutes, c.forecastHorizonHours})
        slider->setFocusPolicy(policy);
    for (QCheckBox* box :
         {c.includeForecast, c.showTyphoon, c.showLightning, c.showThunder, c.showTornado,
          c.showPrefectureBorders, c.showPrefectureLabels, c.launchAtLogin})
        box->setFocusPolicy(policy);
    m_scroll->setFocusPolicy(m_takesKeyboardFocus ? Qt::StrongFocus : Qt::NoFocus);
}

QString SettingsView::percentText(double value)
{
    return QString::number(integerPart(value * 100)) + u'%';
}

QString SettingsView::framesPerSecondText(double value)
{
    return QString::asprintf("%.1f", value) + QStringLiteral(" コマ/秒");
}

QString SettingsView::loopPauseText(double value)
{
    return QString::asprintf("%.1f", value) + QStringLiteral(" 秒");
}

QString SettingsView::stepMinutesText(double value)
{
    return QString::number(integerPart(value)) + QStringLiteral(" 分ごと");
}

QString SettingsView::forecastHorizonText(double value)
{
    return QString::number(integerPart(value)) +
           QStringLiteral(" 時間先まで（1時間先までは5分刻み、それ以降は1時間刻み）");
}

QString SettingsView::playbackModeNote(bool live)
{
    return live ? QStringLiteral("最新の観測だけを表示し、新しいコマが出たら自動で切り替えます。")
                : QStringLiteral("過去のコマから順に再生します。");
}

QString SettingsView::rangeNote(bool twelveHours)
{
    return twelveHours ? QStringLiteral("解析雨量／降水短時間予報・10分刻み")
                       : QStringLiteral("高解像度降水ナウキャスト・5分刻み");
}
