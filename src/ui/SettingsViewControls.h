#pragma once

#include <QLabel>
#include <QSlider>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QVBoxLayout;

// The building blocks of the settings form: segmented pickers, sliders over fixed steps and
// the grouped sections that hold them.

// A segmented picker: one exclusive, checkable button per option, side by side.
class SettingsSegmentedPicker : public QWidget {
    Q_OBJECT

public:
    explicit SettingsSegmentedPicker(const QStringList& labels, QWidget* parent = nullptr);

    int count() const;
    int currentIndex() const; // -1 when nothing is chosen
    // Shows `index` as chosen without emitting `activated`.
    void setCurrentIndex(int index);
    QAbstractButton* button(int index) const;
    void setButtonFocusPolicy(Qt::FocusPolicy policy);

protected:
    void paintEvent(QPaintEvent* event) override;

Q_SIGNALS:
    // The user clicked segment `index` (also the one already chosen).
    void activated(int index);

private:
    QButtonGroup* m_group;
};

// A horizontal slider over evenly spaced values: position i stands for minimum + i × step.
// A step of 0 makes it continuous (a thousand positions between the ends).
class SettingsStepSlider : public QSlider {
    Q_OBJECT

public:
    SettingsStepSlider(double minimum, double maximum, double step, QWidget* parent = nullptr);

    int positions() const { return maximum() + 1; }
    // The value of a position, as the nearest double to its decimal (1.1, not
    // 1.1000000000000001), so stored values and their texts stay clean.
    double valueAt(int position) const;
    // The position nearest to `value`; values beyond the ends give the end positions.
    int positionFor(double value) const;
    // Moves the handle to the position nearest `value` without emitting `valueEdited`.
    void showValue(double value);

Q_SIGNALS:
    // The user moved the handle to a position that stands for `value`.
    void valueEdited(double value);

private:
    double m_minimum;
    double m_maximum;
    double m_step;
};

// Text of the form in the primary or the secondary colour of the palette it inherits, so it
// follows a switch of theme, and faded further while disabled.
class SettingsText : public QLabel {
    Q_OBJECT

public:
    SettingsText(const QString& text, int pixelSize, QFont::Weight weight, bool secondary,
                 QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColours();

    bool m_secondary;
    bool m_applying = false;
};

// One section of the grouped form: a header above a rounded box whose rows are stacked.
class SettingsSection : public QWidget {
    Q_OBJECT

public:
    explicit SettingsSection(const QString& title, QWidget* parent = nullptr);

    QString title() const { return m_title; }
    void addRow(QWidget* row);

private:
    class Box;

    QString m_title;
    Box* m_box;
    QVBoxLayout* m_rows;
};

class SettingsSegmentedPicker;

// The pieces every tab of the settings window is built from, so the tabs look alike. Each
// control takes the name of the setting it shows as its object name.
namespace SettingsForm {

inline constexpr int kCaptionSize = 13;
inline constexpr int kNoteSize = 10;

// Secondary, wrapping text under a control.
SettingsText* note(const QString& text, const QString& name, QWidget* parent = nullptr);
SettingsText* caption(const QString& text, QWidget* parent);
// An empty row named "<name>Row" and its grid: the caption in column 0, the control in 1.
QWidget* row(const QString& name, QGridLayout*& grid);
QCheckBox* toggle(const QString& name, const QString& text);
SettingsSegmentedPicker* picker(const QString& name, const QStringList& labels);
// A caption beside `control`, and when `noteLabel` is given an empty note "<name>Note" below.
QWidget* pickerRow(const QString& name, const QString& text, SettingsSegmentedPicker* control,
                   SettingsText** noteLabel);

} // namespace SettingsForm
