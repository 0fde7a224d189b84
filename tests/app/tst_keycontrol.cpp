#include "TestRegistry.h"
#include "app/KeyControl.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
        const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
        const Target main = mainWindow();
        const auto row = [](const char* name, int key, Qt::KeyboardModifiers modifiers,
                            Target target, std::optional<Command> expected) {
            QTest::newRow(name) << key << modifiers << target << expected;
        };
        // The plain keys in the active main window are pressed end to end (tests/e2e).
        row("keypad 0", Qt::Key_0, keypad, main, Command::LatestObservation);
        row("keypad arrow", Qt::Key_Left, keypad, main, Command::PreviousFrame);
        row("other key", Qt::Key_A, none, main, std::nullopt);
        row("1", Qt::Key_1, none, main, std::nullopt);
        row("shift-left", Qt::Key_Left, Qt::ShiftModifier, main, std::nullopt);
        row("control-left", Qt::Key_Left, Qt::ControlModifier, main, std::nullopt);
        row("alt-left", Qt::Key_Left, Qt::AltModifier, main, std::nullopt);
        row("meta-left", Qt::Key_Left, Qt::MetaModifier, main, std::nullopt);
        row("no window", Qt::Key_Left, none, Target{}, std::nullopt);
        row("inactive window", Qt::Key_Left, none, with(main, &Target::isActiveWindow, false),
            std::nullopt);
        row("settings window", Qt::Key_Left, none, with(main, &Target::isSettingsWindow, true),
            std::nullopt);
        row("modal on top", Qt::Key_Left, none, with(main, &Target::hasModalOnTop, true),
            std::nullopt);
        row("typing", Qt::Key_Left, none, with(main, &Target::isEditingText, true), std::nullopt);
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
        auto* button = new QPushButton(QStringLiteral("再描画"), &window);
        auto* field = new QLineEdit(&window);
        auto* readOnlyCombo = new QComboBox(&window);
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

SHIGUREN_TEST(TestKeyControl)
#include "tst_keycontrol.moc"
