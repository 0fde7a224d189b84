#include "AppStateHarness.h"
#include "RadarFrameFactory.h"
#include "radar/RadarPlayer.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

// The radar keys as a user presses them in a real window.
class TestAppKeys : public QObject {
    Q_OBJECT

    std::unique_ptr<AppStateHarness> h;
    std::unique_ptr<QWidget> window;
    QPushButton* button = nullptr;
    QLineEdit* field = nullptr;

    RadarPlayer& detail() { return *h->state->detailPlayer(); }
    RadarPlayer& overview() { return *h->state->overviewPlayer(); }

    void setUp(bool live)
    {
        h = std::make_unique<AppStateHarness>(AppStateHarness::Options{
            false, [live](AppSettings& s) {
                s.setPlaybackMode(live ? RadarPlaybackMode::Live : RadarPlaybackMode::Animation);
            }});
        // Observations 0…9, forecasts 10 (+30), 11 (+60), 12 (+2 h).
        const RadarFrames frames =
            RadarFrameFactory::frames(FakeClock::scenarioNow(), 10, {30, 60, 120});
        overview().update(frames);
        detail().update(frames);
        h->state->startKeyMonitor();

        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        button = new QPushButton(QStringLiteral("再描画"));
        field = new QLineEdit;
        layout->addWidget(button);
        layout->addWidget(field);
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        button->setFocus();
    }

private Q_SLOTS:
    void cleanup()
    {
        window.reset();
        h.reset();
    }

    void arrowsStepPauseAndStopAtTheEnds()
    {
        setUp(false);
        detail().scrub(0);
        detail().play();
        QTest::keyClick(button, Qt::Key_Left);
        QVERIFY(!detail().isPlaying() && !overview().isPlaying());
        QCOMPARE(detail().index(), 0); // the first frame stays the first
        QTest::keyClick(button, Qt::Key_Right);
        QCOMPARE(detail().index(), 1);
        QCOMPARE(overview().index(), 1);
        detail().scrub(12);
        QTest::keyClick(button, Qt::Key_Right);
        QCOMPARE(detail().index(), 12); // nor does the last wrap round

        // 0 on the keypad and the up arrow jump to the newest observation.
        for (const auto& [key, modifier] :
             {std::pair{Qt::Key_0, Qt::KeypadModifier}, std::pair{Qt::Key_Up, Qt::NoModifier}}) {
            detail().scrub(2);
            QTest::keyClick(button, key, modifier);
            QCOMPARE(detail().index(), 9);
        }
    }

    void liveModeMovesTheOffset()
    {
        setUp(true);
        h->state->setLiveOffset(60);
        QCOMPARE(detail().index(), 11);
        QTest::keyClick(button, Qt::Key_Left);
        QCOMPARE(detail().liveOffsetMinutes(), 30);
        QTest::keyClick(button, Qt::Key_Down);
        QCOMPARE(detail().liveOffsetMinutes(), 0);
        QCOMPARE(overview().index(), 9);
        QTest::keyClick(button, Qt::Key_Left);
        QCOMPARE(detail().index(), 9); // stops at the first step
    }

    void keysThatBelongToSomeoneElse()
    {
        setUp(false);
        detail().scrub(5);
        QTest::keyClick(button, Qt::Key_Left, Qt::ControlModifier);
        QTest::keyClick(button, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(detail().index(), 5);

        field->setFocus();
        field->setText(QStringLiteral("東京駅"));
        QTest::keyClick(field, Qt::Key_Left);
        QCOMPARE(field->cursorPosition(), 2); // the text cursor moved instead
        QCOMPARE(detail().index(), 5);
    }
};

QTEST_MAIN(TestAppKeys)
#include "tst_appkeys.moc"
