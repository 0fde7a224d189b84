#include "update/SoftwareUpdateSettingsView.h"

#include "update/SoftwareUpdaterModel.h"
#include "update/UpdateUserDriver.h"
#include "update/VersionText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Values beside a caption recede like the platform's secondary text.
QLabel* secondaryValue(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QFormLayout* sectionForm(QGroupBox* section)
{
    auto* form = new QFormLayout(section);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return form;
}

} // namespace

SoftwareUpdateSettingsView::SoftwareUpdateSettingsView(SoftwareUpdaterModel* updater,
                                                       QWidget* parent)
    : QWidget(parent)
    , m_updater(updater)
    , m_automatic(new QCheckBox(QStringLiteral("アップデートを自動的に確認")))
    , m_lastCheck(secondaryValue(this))
    , m_fromSystem(new QLabel(UpdateUserDriver::kUpdatesFromSystemText))
    , m_checkNow(new QPushButton(QStringLiteral("今すぐ確認")))
    , m_version(secondaryValue(this))
{
    setFixedWidth(340);
    QFont text = font();
    text.setFamilies({QStringLiteral("Noto Sans CJK JP"), text.family()});
    setFont(text);
    m_automatic->setObjectName(QStringLiteral("automaticallyChecksForUpdatesToggle"));
    m_automatic->setAccessibleName(m_automatic->text());
    m_checkNow->setObjectName(QStringLiteral("checkForUpdatesButton"));
    m_checkNow->setAccessibleName(m_checkNow->text());

    auto* automatic = new QGroupBox(QStringLiteral("自動更新"));
    QFormLayout* automaticForm = sectionForm(automatic);
    m_fromSystem->setWordWrap(true);
    automaticForm->addRow(m_fromSystem);
    automaticForm->addRow(m_automatic);
    automaticForm->addRow(QStringLiteral("最終確認"), m_lastCheck);
    auto* checkNowRow = new QHBoxLayout;
    checkNowRow->addWidget(m_checkNow);
    checkNowRow->addStretch();
    automaticForm->addRow(checkNowRow);

    auto* thisVersion = new QGroupBox(QStringLiteral("このバージョン"));
    QFormLayout* versionForm = sectionForm(thisVersion);
    versionForm->addRow(QStringLiteral("バージョン"), m_version);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);
    column->addWidget(automatic);
    column->addWidget(thisVersion);
    column->addStretch();

    m_automatic->setChecked(updater->automaticallyChecksForUpdates());
    m_checkNow->setEnabled(updater->canCheckForUpdates());
    m_version->setText(VersionText::current());
    refreshLastCheck();
    if (!updater->hasReleaseFeed()) {
        // Nothing here could ever be checked: no date to show, nothing to switch or press.
        automaticForm->setRowVisible(m_lastCheck, false);
        m_automatic->setEnabled(false);
        m_checkNow->setEnabled(false);
        return;
    }
    automaticForm->setRowVisible(m_fromSystem, false);

    connect(m_automatic, &QCheckBox::toggled, updater,
            &SoftwareUpdaterModel::setAutomaticallyChecksForUpdates);
    connect(updater, &SoftwareUpdaterModel::automaticallyChecksForUpdatesChanged, m_automatic,
            &QCheckBox::setChecked);
    connect(m_checkNow, &QPushButton::clicked, updater, &SoftwareUpdaterModel::checkForUpdates);
    connect(updater, &SoftwareUpdaterModel::canCheckForUpdatesChanged, this, [this](bool canCheck) {
        m_checkNow->setEnabled(canCheck);
        // A check that just finished has a new date.
        if (canCheck)
            refreshLastCheck();
    });
}

void SoftwareUpdateSettingsView::showEvent(QShowEvent* event)
{
    refreshLastCheck();
    QWidget::showEvent(event);
}

void SoftwareUpdateSettingsView::refreshLastCheck()
{
    m_lastCheck->setText(SoftwareUpdaterModel::lastCheckText(m_updater->lastUpdateCheckDate()));
}
