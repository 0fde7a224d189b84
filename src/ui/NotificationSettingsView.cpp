#include "ui/NotificationSettingsView.h"

#include "app/AppSettings.h"
#include "ui/SettingsViewControls.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString numberText(double value)
{
    return QString::number(value, 'g', 3);
}

// The choice nearest to a stored value, so one written by hand still shows as chosen.
int nearestChoice(const QList<double>& choices, double value)
{
    int best = 0;
    for (int i = 1; i < choices.size(); ++i) {
        if (std::abs(choices[i] - value) < std::abs(choices[best] - value))
            best = i;
    }
    return best;
}

} // namespace

const QList<double>& NotificationSettingsView::strengthChoices()
{
    static const QList<double> choices{0.1, 1, 5, 10, 20};
    return choices;
}

const QList<double>& NotificationSettingsView::leadChoices()
{
    static const QList<double> choices{10, 20, 30, 60};
    return choices;
}

NotificationSettingsView::NotificationSettingsView(AppSettings* settings, bool trayAvailable,
                                                   QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);

    auto* alerts = new SettingsSection(QStringLiteral("雨の通知"), this);
    m_enabled =
        SettingsForm::toggle(QStringLiteral("rainAlertsEnabled"), QStringLiteral("雨の通知"));
    alerts->addRow(m_enabled);
    alerts->addRow(SettingsForm::note(
        QStringLiteral("選んだ場所に雨が近づくと、デスクトップに通知します。同じ雨で通知するのは"
                       "一度だけで、雨の見込みがない状態が30分続くと次の雨を通知します。"),
        QStringLiteral("rainAlertsEnabledNote")));
    QStringList strengthLabels;
    for (double mm : strengthChoices())
        strengthLabels.append(numberText(mm));
    m_strength = SettingsForm::picker(QStringLiteral("rainAlertMinimumMmPerHour"), strengthLabels);
    m_strengthRow =
        SettingsForm::pickerRow(QStringLiteral("rainAlertMinimumMmPerHour"),
                                QStringLiteral("強さ（mm/h）"), m_strength, &m_strengthNote);
    alerts->addRow(m_strengthRow);
    QStringList leadLabels;
    for (double minutes : leadChoices())
        leadLabels.append(numberText(minutes) + QStringLiteral("分"));
    m_lead = SettingsForm::picker(QStringLiteral("rainAlertLeadMinutes"), leadLabels);
    m_leadRow = SettingsForm::pickerRow(QStringLiteral("rainAlertLeadMinutes"),
                                        QStringLiteral("予告の時間"), m_lead, &m_leadNote);
    alerts->addRow(m_leadRow);
    layout->addWidget(alerts);

    auto* tray = new SettingsSection(QStringLiteral("システムトレイ"), this);
    m_tray =
        SettingsForm::toggle(QStringLiteral("keepRunningInTray"),
                             QStringLiteral("ウィンドウを閉じてもシステムトレイで実行を続ける"));
    m_tray->setEnabled(trayAvailable);
    tray->addRow(m_tray);
    tray->addRow(SettingsForm::note(
        trayAvailable
            ? QStringLiteral("雨の通知はウィンドウを閉じても届きます。トレイのアイコンから"
                             "ウィンドウを開くか、終了します。")
            : QStringLiteral("このデスクトップにはシステムトレイがないため、使えません。"),
        QStringLiteral("keepRunningInTrayNote")));
    layout->addWidget(tray);
    layout->addStretch(1);

    connect(m_enabled, &QCheckBox::clicked, settings, &AppSettings::setRainAlertsEnabled);
    connect(m_strength, &SettingsSegmentedPicker::activated, settings, [settings](int index) {
        settings->setRainAlertMinimumMmPerHour(strengthChoices().value(index, 1.0));
    });
    connect(m_lead, &SettingsSegmentedPicker::activated, settings, [settings](int index) {
        settings->setRainAlertLeadMinutes(leadChoices().value(index, 30.0));
    });
    connect(m_tray, &QCheckBox::clicked, settings, &AppSettings::setKeepRunningInTray);
    for (auto changed :
         {&AppSettings::rainAlertsEnabledChanged, &AppSettings::rainAlertMinimumMmPerHourChanged,
          &AppSettings::rainAlertLeadMinutesChanged, &AppSettings::keepRunningInTrayChanged})
        connect(settings, changed, this, &NotificationSettingsView::refresh);
    refresh();
}

void NotificationSettingsView::refresh()
{
    const AppSettings& s = *m_settings;
    m_enabled->setChecked(s.rainAlertsEnabled());
    m_strength->setCurrentIndex(nearestChoice(strengthChoices(), s.rainAlertMinimumMmPerHour()));
    m_strengthNote->setText(strengthNote(s.rainAlertMinimumMmPerHour()));
    m_lead->setCurrentIndex(nearestChoice(leadChoices(), s.rainAlertLeadMinutes()));
    m_leadNote->setText(leadNote(s.rainAlertLeadMinutes()));
    m_strengthRow->setEnabled(s.rainAlertsEnabled());
    m_leadRow->setEnabled(s.rainAlertsEnabled());
    // Unticked where there is no tray, whatever was stored: the option cannot act there.
    m_tray->setChecked(s.keepRunningInTray() && m_tray->isEnabled());
}

QString NotificationSettingsView::strengthNote(double mmPerHour)
{
    return QStringLiteral("1時間あたり%1 mm以上の雨を通知します").arg(numberText(mmPerHour));
}

QString NotificationSettingsView::leadNote(double minutes)
{
    return QStringLiteral("%1分先までに降りだす雨を通知します").arg(numberText(minutes));
}
