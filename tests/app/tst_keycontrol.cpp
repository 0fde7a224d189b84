#include "app/KeyControl.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using KeyControl::Command;
using Target = KeyControl::Target;

Q_DECLARE_METATYPE(std::optional<Command>)

namespace {

Target mainWindow()
{
    Target target;
    target.hasWindow = true;
    target.isActiveWindow = true;
    return target;
}

Target with(Target target, bool Target::*flag, bool value)
{
    target.*flag = value;
    return target;
}

} // namespace

class TestKeyControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<Target>("target");
        QTest::addColumn<std::optional<Command>>("expected");
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        const Target main = mainWindow();
        QTest::newRow("left") << int(Qt::Key_Left) << none << main
                              << std::optional(Command::PreviousFrame);
        QTest::newRow("right") << int(Qt::Key_Right) << none << main
                               << std::optional(Command::NextFrame);
        QTest::newRow("down") << int(Qt::Key_Down) << none << main
                              << std::optional(Command::LatestObservation);
        QTest::newRow("up") << int(Qt::Key_Up) << none << main
                            << std::optional(Command::LatestObservation);
        QTest::newRow("0") << int(Qt::Key_0) << none << main
                           << std::optional(Command::LatestObservation);
        QTest::newRow("keypad 0") << int(Qt::Key_0) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << main << std::optional(Command::LatestObservation);
        QTest::newRow("keypad arrow")
            << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::KeypadModifier) << main
            << std::optional(Command::PreviousFrame);
        QTest::newRow("other key") << int(Qt::Key_A) << none << main << std::optional<Command>();
        QTest::newRow("1") << int(Qt::Key_1) << none << main << std::optional<Command>();
        for (auto [name, modifier] :
             {std::pair{"shift", Qt::ShiftModifier}, std::pair{"control", Qt::ControlModifier},
              std::pair{"alt", Qt::AltModifier}, std::pair{"meta", Qt::MetaModifier}}) {
            QTest::addRow("%s-left", name) << int(Qt::Key_Left) << Qt::KeyboardModifiers(modifier)
                                           << main << std::optional<Command>();
        }
        QTest::newRow("no window")
            << int(Qt::Key_Left) << none << Target{} << std::optional<Command>();
        QTest::newRow("inactive window")
            << int(Qt::Key_Left) << none << with(main, &Target::isActiveWindow, false)
            << std::optional<Command>();
        QTest::newRow("settings window")
            << int(Qt::Key_Left) << none << with(main, &Target::isSettingsWindow, true)
            << std::optional<Command>();
        QTest::newRow("modal on top")
            << int(Qt::Key_Left) << none << with(main, &Target::hasModalOnTop, true)
            << std::optional<Command>();
        QTest::newRow("typing") << int(Qt::Key_Left) << none
                                << with(main, &Target::isEditingText, true)
                                << std::optional<Command>();
    }
    void commands()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(Target, target);
        QFETCH(std::optional<Command>, expected);
        QCOMPARE(KeyControl::commandFor(key, modifiers, target), expected);
    }

    void targetsFollowTheRealWindows()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* button = new QPushButton(QStringLiteral("再描画"));
        auto* field = new QLineEdit;
        auto* readOnlyCombo = new QComboBox;
        layout->addWidget(button);
        layout->addWidget(field);
        layout->addWidget(readOnlyCombo);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));

        button->setFocus();
        Target target = KeyControl::targetFor(button);
        QVERIFY(target.hasWindow && target.isActiveWindow);
        QVERIFY(!target.isEditingText && !target.isSettingsWindow && !target.hasModalOnTop);

        field->setFocus();
        QVERIFY(KeyControl::targetFor(field).isEditingText);
        QVERIFY(!KeyControl::isTextEditor(readOnlyCombo));

        window.setObjectName(QStringLiteral("SettingsWindow"));
        QVERIFY(KeyControl::targetFor(button).isSettingsWindow);
        window.setObjectName({});

        QDialog dialog(&window);
        dialog.setModal(true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(KeyControl::targetFor(button).hasModalOnTop);
        dialog.hide();

        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!KeyControl::targetFor(button).isActiveWindow);
    }

    void monitorSeesPressesFirstAndCanSwallowThem()
    {
        QLineEdit field;
        field.show();
        QApplication::setActiveWindow(&field);
        QVERIFY(QTest::qWaitForWindowActive(&field));
        int seen = 0;
        bool swallow = true;
        {
            KeyControl::Monitor monitor([&](QKeyEvent*, QWidget*) {
                ++seen;
                return swallow;
            });
            QTest::keyClicks(&field, QStringLiteral("ab"));
            QCOMPARE(seen, 2);
            QCOMPARE(field.text(), QString());
            swallow = false;
            QTest::keyClicks(&field, QStringLiteral("cd"));
            QCOMPARE(seen, 4); // one call per press, although the press travels up the parents
            QCOMPARE(field.text(), QStringLiteral("cd"));
        }
        QTest::keyClicks(&field, QStringLiteral("e"));
        QCOMPARE(seen, 4); // removed with the monitor
    }
};

QTEST_MAIN(TestKeyControl)
#include "tst_keycontrol.moc"
