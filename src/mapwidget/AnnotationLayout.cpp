#include "mapwidget/AnnotationLayout.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace AnnotationLayout {

namespace {

constexpr double kCell = 64;
constexpr float kRequired = 1000;

class Grid {
public:
    bool collides(const QRectF& frame, const QList<Item>& items) const
    {
        bool hit = false;
        forCells(frame, [&](quint64 cell) {
            const auto it = m_cells.constFind(cell);
            if (it == m_cells.constEnd())
                return;
            for (int index : *it) {
                if (items[index].frame.intersects(frame)) {
                    hit = true;
                    return;
                }
            }
        });
        return hit;
    }

    void insert(int index, const QRectF& frame)
    {
        forCells(frame, [&](quint64 cell) { m_cells[cell].append(index); });
    }

private:
    template <typename F>
    static void forCells(const QRectF& frame, F&& f)
    {
        const auto cellOf = [](double v) { return qint64(std::floor(v / kCell)); };
        const qint64 x0 = cellOf(frame.left());
        const qint64 x1 = cellOf(frame.right());
        const qint64 y0 = cellOf(frame.top());
        const qint64 y1 = cellOf(frame.bottom());
        for (qint64 y = y0; y <= y1; ++y)
            for (qint64 x = x0; x <= x1; ++x)
                f((quint64(quint32(x)) << 32) | quint32(y));
    }

    QHash<quint64, QList<int>> m_cells;
};

} // namespace

QList<bool> resolve(const QList<Item>& items)
{
    QList<bool> shown(items.size(), false);
    QList<int> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    const auto rank = [&](int i) {
        const Item& item = items[i];
        return item.forced || item.priority >= kRequired ? kRequired + 1 : item.priority;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) > rank(b); });

    Grid grid;
    for (int index : std::as_const(order)) {
        const Item& item = items[index];
        if (!item.collides) {
            shown[index] = true;
            continue;
        }
        const bool mustShow = item.forced || item.priority >= kRequired;
        // A huge or broken rectangle would make the grid walk forever; it simply shows.
        const bool sane = item.frame.isValid() && item.frame.width() < 1e5 &&
                          item.frame.height() < 1e5 && std::isfinite(item.frame.left()) &&
                          std::isfinite(item.frame.top());
        if (!sane) {
            shown[index] = mustShow;
            continue;
        }
        if (!mustShow && grid.collides(item.frame, items))
            continue;
        shown[index] = true;
        grid.insert(index, item.frame);
    }
    return shown;
}

} // namespace AnnotationLayout
