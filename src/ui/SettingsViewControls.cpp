#include "ui/SettingsViewControls.h"

#include "ui/Material.h"
#include "ui/PaneStyle.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kContinuousPositions = 1000;
constexpr qreal kTrackRadius = 6;

// One segment: its text, on a raised thumb while chosen.
class Segment : public QAbstractButton {
public:
    explicit Segment(const QString& text, QWidget* parent)
        : QAbstractButton(parent)
    {
        setText(text);
        setCheckable(true);
        setFont(PaneStyle::font(12));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return {fontMetrics().horizontalAdvance(text()) + 24, 26}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette& colours = palette();
        const bool dark = PaneStyle::isDark(colours);
        const QRectF thumb = QRectF(rect()).adjusted(2, 2, -2, -2);
        if (isChecked()) {
            QColor fill = dark ? QColor(100, 100, 104) : QColor(Qt::white);
            if (!isEnabled())
                fill = PaneStyle::faded(fill, 0.5);
            painter.setPen(QPen(Material::edge(colours), 1.0));
            painter.setBrush(fill);
            painter.drawRoundedRect(thumb.adjusted(0.5, 0.5, -0.5, -0.5), kTrackRadius - 1.5,
                                    kTrackRadius - 1.5);
        } else if (isEnabled() && (isDown() || underMouse())) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(PaneStyle::faded(PaneStyle::primaryText(colours), 0.07));
            painter.drawRoundedRect(thumb, kTrackRadius - 1.5, kTrackRadius - 1.5);
        }
        if (hasFocus()) {
            painter.setPen(QPen(PaneStyle::accent(colours), 2.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(thumb, kTrackRadius - 1.5, kTrackRadius - 1.5);
        }
        QColor ink = PaneStyle::primaryText(colours);
        if (!isEnabled())
            ink = PaneStyle::faded(ink, 0.4);
        painter.setPen(ink);
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

} // namespace

SettingsSegmentedPicker::SettingsSegmentedPicker(const QStringList& labels, QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_group->setExclusive(true);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new Segment(labels.at(i), this);
        button->setAttribute(Qt::WA_Hover);
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
    connect(m_group, &QButtonGroup::idClicked, this, &SettingsSegmentedPicker::activated);
}

void SettingsSegmentedPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PaneStyle::faded(PaneStyle::primaryText(palette()), 0.09));
    painter.drawRoundedRect(QRectF(rect()), kTrackRadius, kTrackRadius);
}

int SettingsSegmentedPicker::count() const
{
    return int(m_group->buttons().size());
}

int SettingsSegmentedPicker::currentIndex() const
{
    return m_group->checkedId();
}

void SettingsSegmentedPicker::setCurrentIndex(int index)
{
    if (QAbstractButton* chosen = m_group->button(index)) {
        chosen->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; lift that to show no choice at all.
    m_group->setExclusive(false);
    for (QAbstractButton* each : m_group->buttons())
        each->setChecked(false);
    m_group->setExclusive(true);
}

QAbstractButton* SettingsSegmentedPicker::button(int index) const
{
    return m_group->button(index);
}

void SettingsSegmentedPicker::setButtonFocusPolicy(Qt::FocusPolicy policy)
{
    for (QAbstractButton* each : m_group->buttons())
        each->setFocusPolicy(policy);
}

SettingsStepSlider::SettingsStepSlider(double minimum, double maximum, double step, QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_step(step > 0 ? step : (maximum - minimum) / kContinuousPositions)
{
    setRange(0, int(std::lround((maximum - minimum) / m_step)));
    setSingleStep(1);
    setPageStep(step > 0 ? 1 : kContinuousPositions / 10);
    connect(this, &QSlider::valueChanged, this,
            [this](int position) { Q_EMIT valueEdited(valueAt(position)); });
}

double SettingsStepSlider::valueAt(int position) const
{
    const double raw = m_minimum + std::clamp(position, 0, maximum()) * m_step;
    return std::round(raw * 1e9) / 1e9;
}

int SettingsStepSlider::positionFor(double value) const
{
    if (!std::isfinite(value))
        return 0;
    const double position = std::round((value - m_minimum) / m_step);
    return int(std::clamp(position, 0.0, double(maximum())));
}

void SettingsStepSlider::showValue(double value)
{
    const QSignalBlocker blocker(this);
    setValue(positionFor(value));
}

SettingsText::SettingsText(const QString& text, int pixelSize, QFont::Weight weight, bool secondary,
                           QWidget* parent)
    : QLabel(text, parent)
    , m_secondary(secondary)
{
    setFont(PaneStyle::font(pixelSize, weight));
    applyColours();
}

void SettingsText::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        applyColours();
}

void SettingsText::applyColours()
{
    if (m_applying)
        return;
    m_applying = true;
    // Derived from the palette this label would inherit; its own already carries the tone.
    const QPalette inherited =
        parentWidget() ? parentWidget()->palette() : QGuiApplication::palette();
    const QColor primary = PaneStyle::primaryText(inherited);
    const QColor normal = m_secondary ? PaneStyle::secondaryText(inherited) : primary;
    QPalette own = palette();
    own.setColor(QPalette::Active, QPalette::WindowText, normal);
    own.setColor(QPalette::Inactive, QPalette::WindowText, normal);
    own.setColor(QPalette::Disabled, QPalette::WindowText,
                 PaneStyle::faded(primary, m_secondary ? 0.3 : 0.4));
    if (own != palette())
        setPalette(own);
    m_applying = false;
}

class SettingsSection::Box : public QWidget {
public:
    explicit Box(QWidget* parent)
        : QWidget(parent)
    {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette& colours = palette();
        // Lighter than the window in both themes, as grouped forms are.
        const QColor fill = PaneStyle::isDark(colours)
                                ? colours.color(QPalette::Window).lighter(135)
                                : colours.color(QPalette::Base);
        painter.setPen(QPen(Material::edge(colours), 1.0));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    }
};

SettingsSection::SettingsSection(const QString& title, QWidget* parent)
    : QWidget(parent)
    , m_title(title)
    , m_box(new Box(this))
    , m_rows(new QVBoxLayout(m_box))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto* header = new SettingsText(title, 11, QFont::DemiBold, true, this);
    header->setObjectName(QStringLiteral("sectionHeader"));
    header->setContentsMargins(8, 0, 0, 0);
    layout->addWidget(header);
    layout->addWidget(m_box);
    m_rows->setContentsMargins(10, 8, 10, 8);
    m_rows->setSpacing(8);
}

void SettingsSection::addRow(QWidget* row)
{
    row->setParent(m_box);
    m_rows->addWidget(row);
}

namespace SettingsForm {

SettingsText* note(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new SettingsText(text, kNoteSize, QFont::Normal, true, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

SettingsText* caption(const QString& text, QWidget* parent)
{
    return new SettingsText(text, kCaptionSize, QFont::Normal, false, parent);
}

QWidget* row(const QString& name, QGridLayout*& grid)
{
    auto* widget = new QWidget;
    widget->setObjectName(name + QStringLiteral("Row"));
    grid = new QGridLayout(widget);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    return widget;
}

QCheckBox* toggle(const QString& name, const QString& text)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    box->setFont(PaneStyle::font(kCaptionSize));
    return box;
}

SettingsSegmentedPicker* picker(const QString& name, const QStringList& labels)
{
    auto* result = new SettingsSegmentedPicker(labels);
    result->setObjectName(name);
    return result;
}

QWidget* pickerRow(const QString& name, const QString& text, SettingsSegmentedPicker* control,
                   SettingsText** noteLabel)
{
    QGridLayout* grid = nullptr;
    QWidget* widget = row(name, grid);
    grid->addWidget(caption(text, widget), 0, 0);
    grid->addWidget(control, 0, 1);
    if (noteLabel) {
        *noteLabel = note(QString(), name + QStringLiteral("Note"), widget);
        grid->addWidget(*noteLabel, 1, 0, 1, 2);
    }
    return widget;
}

} // namespace SettingsForm
