#pragma once

#include "mapwidget/TileOverlay.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QMutex>

#include <functional>

// A tile overlay for tests: records every request; answers at once when given an answer
// function, otherwise when the test calls answer().
class FakeTileOverlay : public TileOverlay {
public:
    struct Request {
        TilePath path;
        ResultCallback result;
    };

    explicit FakeTileOverlay(int minimumZ = 2, int maximumZ = 16)
        : m_minimumZ(minimumZ)
        , m_maximumZ(maximumZ)
    {}

    void loadTile(const TilePath& path, ResultCallback result) override
    {
        std::function<TileResult(const TilePath&)> answer;
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append({path, result});
            answer = m_answer;
        }
        if (answer)
            result(answer(path));
    }
    int minimumZ() const override { return m_minimumZ; }
    int maximumZ() const override { return m_maximumZ; }

    void setAnswer(std::function<TileResult(const TilePath&)> answer)
    {
        QMutexLocker lock(&m_mutex);
        m_answer = std::move(answer);
    }
    QList<Request> takeRequests()
    {
        QMutexLocker lock(&m_mutex);
        return std::exchange(m_requests, {});
    }

    static QImage solid(const QColor& color)
    {
        QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
        image.fill(color);
        return image;
    }
    static QByteArray solidPng(const QColor& color);

private:
    mutable QMutex m_mutex;
    QList<Request> m_requests;
    std::function<TileResult(const TilePath&)> m_answer;
    int m_minimumZ;
    int m_maximumZ;
};
