#include "TestRegistry.h"
#include "ui/Popover.h"
#include "ui/PopoverScrollArea.h"
#include "ui/RadarLegendView.h"
#include "ui/TyphoonDetailView.h"

#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Placement = Popover::Placement;
using Edge = Popover::ArrowEdge;
using Look = Popover::Look;

Q_DECLARE_METATYPE(Popover::Placement)
Q_DECLARE_METATYPE(Popover::Look)

class TestPanePopover : public QObject {
    Q_OBJECT

    QWidget m_window;
    QPointer<QPushButton> m_button;
    std::unique_ptr<Popover> m_popover;

    // A shown popover with `content`, anchored to a button of a shown window.
    void present(QWidget* content)
    {
        m_popover->setContent(content);
        m_popover->showAnchoredTo(m_button);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_window.resize(400, 300);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    }
    void init()
    {
        m_button = new QPushButton(u"凡例"_s, &m_window);
        m_button->show();
        m_popover = std::make_unique<Popover>(&m_window);
    }
    void cleanup()
    {
        m_popover.reset();
        delete m_button;
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<Look>("look");
        QTest::addColumn<Placement>("placement");
        // Content 200 × 100: the shaped popup is 216 × 124 with its margins and arrow, the
        // plain one 202 × 102 with its border.
        QTest::newRow("under the button") << QRect(100, 100, 60, 24) << Look::Shaped
                                          << Placement{QRect(22, 116, 216, 124), Edge::Top, 108};
        QTest::newRow("above when the screen ends below")
            << QRect(100, 1040, 60, 24) << Look::Shaped
            << Placement{QRect(22, 924, 216, 124), Edge::Bottom, 108};
        QTest::newRow("kept on screen, arrow still towards the button")
            << QRect(1890, 100, 20, 20) << Look::Shaped
            << Placement{QRect(1704, 112, 216, 124), Edge::Top, 189};
        QTest::newRow("at the left edge") << QRect(0, 100, 10, 20) << Look::Shaped
                                          << Placement{QRect(0, 112, 216, 124), Edge::Top, 27};
        QTest::newRow("plain, against the button's bottom")
            << QRect(100, 100, 60, 24) << Look::Plain
            << Placement{QRect(29, 124, 202, 102), Edge::Top, 101};
        QTest::newRow("plain, against the button's top")
            << QRect(100, 1040, 60, 24) << Look::Plain
            << Placement{QRect(29, 938, 202, 102), Edge::Bottom, 101};
    }

    void placement()
    {
        QFETCH(QRect, anchor);
        QFETCH(Look, look);
        QFETCH(Placement, placement);
        QCOMPARE(Popover::place(QSize(200, 100), anchor, QRect(0, 0, 1920, 1080), look), placement);
    }

    // Without a compositor every pixel that is not opaque comes out black.
    void onlyTheShapedLookHasSeeThroughPixels_data()
    {
        QTest::addColumn<Look>("look");
        QTest::newRow("shaped") << Look::Shaped;
        QTest::newRow("plain") << Look::Plain;
    }

    void onlyTheShapedLookHasSeeThroughPixels()
    {
        QFETCH(Look, look);
        m_popover = std::make_unique<Popover>(&m_window, look);
        present(new RadarLegendView);
        const QImage image = m_popover->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        bool seeThrough = false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                seeThrough = seeThrough || qAlpha(image.pixel(x, y)) < 255;
        QCOMPARE(seeThrough, look == Look::Shaped);
        if (look == Look::Plain)
            QCOMPARE(m_popover->content()->geometry(),
                     m_popover->rect().marginsRemoved(QMargins(1, 1, 1, 1)));
    }

    void closesWithItsButton()
    {
        QSignalSpy closed(m_popover.get(), &Popover::closed);
        present(new RadarLegendView);
        QVERIFY(m_popover->isVisible());
        QCOMPARE(m_popover->content()->size(), m_popover->content()->sizeHint());

        m_button->hide();
        QVERIFY(!m_popover->isVisible());
        m_button->show();
        m_popover->showAnchoredTo(m_button);
        QTest::keyClick(m_popover.get(), Qt::Key_Escape);
        QVERIFY(!m_popover->isVisible());
        QCOMPARE(closed.count(), 2);

        m_popover->showAnchoredTo(m_button);
        delete m_button;
        QVERIFY(!m_popover->isVisible());
        QCOMPARE(m_popover->anchor(), nullptr);
    }

    void followsItsContentsSize()
    {
        auto* view = new TyphoonDetailView;
        present(view);
        const int before = m_popover->height();
        TyphoonInfo info;
        info.typhoonNumber = u"14"_s;
        info.location = u"日本の南"_s;
        info.pressureHpa = u"985"_s;
        view->setContent({{info, info}, false, {}, {}});
        QTRY_VERIFY(m_popover->height() > before);
        QCOMPARE(view->height(),
                 m_popover->height() - 2 * Popover::kMargin - Popover::kArrowHeight);
        QVERIFY(view->height() >= view->minimumSizeHint().height());
    }

    void tallContentScrollsWithinItsHeight()
    {
        auto* form = new QWidget;
        form->setMinimumSize(300, 900);
        auto* area = new PopoverScrollArea(form, 600);
        present(area);
        QCOMPARE(area->height(), 600);
        QVERIFY(area->width() > 300); // room for the scroll bar beside the form
        QVERIFY(area->verticalScrollBar()->isVisible());

        form->setMinimumSize(300, 400); // fits: shown whole, without a scroll bar
        QTRY_COMPARE(area->height(), 400);
        QCOMPARE(area->width(), 300);
    }

    // At 2× the swatches meet on a device pixel: no seam, blend or blurred edge between them.
    void legendSwatchesAreCrispAtTwoX()
    {
        RadarLegendView legend;
        legend.resize(legend.sizeHint());
        QImage image(legend.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        legend.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const auto& steps = RadarLegendView::steps();
        const int left = 2 * RadarLegendView::kPadding;
        int row = 0;
        while (row < image.height() && image.pixelColor(left, row) != steps.first().color)
            ++row;
        QVERIFY(row < image.height());
        for (int i = 0; i < 8; ++i) {
            const int first = left + 2 * legend.entryWidths()[0] * i;
            QCOMPARE(image.pixelColor(first, row), steps[i].color);
            QCOMPARE(image.pixelColor(first + 2 * legend.entryWidths()[0] - 1, row),
                     steps[i].color);
        }
    }
};

SHIGUREN_TEST(TestPanePopover)
#include "tst_panepopover.moc"
