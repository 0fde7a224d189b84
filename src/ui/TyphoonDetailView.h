#pragma once

#include "typhoon/TyphoonInfo.h"
#include "typhoon/TyphoonService.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

// The typhoon panel: a header with the time of the last successful pass, then the active
// cyclones as cards, or why there are none. A failed pass shows only its message, even while
// cyclones from an earlier pass are still held, so stale figures never pass for current ones.
class TyphoonDetailView : public QWidget {
    Q_OBJECT

public:
    struct Content {
        TyphoonInfos typhoons;
        bool isLoading = false;
        QString errorMessage;  // null when the last pass succeeded
        QDateTime lastUpdated; // invalid before the first success
        friend bool operator==(const Content&, const Content&) = default;
    };

    enum class Body { Error, Cards, Checking, NoTyphoons };

    static constexpr int kWidth = 260;

    static Body bodyFor(const Content& content);
    // The header's time: empty before the first successful pass.
    static QString headerTime(const Content& content);
    static QString checkingText() { return QStringLiteral("台風情報を確認しています…"); }
    static QString noTyphoonsText() { return QStringLiteral("現在、台風はありません"); }

    explicit TyphoonDetailView(QWidget* parent = nullptr);

    // Follows `service` (not owned) from now on; nullptr shows an empty panel.
    void setService(TyphoonService* service);
    TyphoonService* service() const { return m_service; }

    // Shows `content`; setService() calls this whenever the service changes.
    void setContent(const Content& content);
    const Content& content() const { return m_content; }
    Body body() const { return bodyFor(m_content); }

private:
    void readService();
    void rebuildBody();

    QPointer<TyphoonService> m_service;
    Content m_content;
    QLabel* m_time = nullptr;
    QVBoxLayout* m_column = nullptr;
    QWidget* m_body = nullptr;
};
