#include "ui/TyphoonDetailView.h"

#include "typhoon/TyphoonService.h"
#include "ui/PaneStyle.h"
#include "ui/ToneLabel.h"
#include "ui/ToneSymbol.h"
#include "ui/TyphoonCard.h"
#include "weather/Fmt.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// A hairline between two cards.
class Divider final : public QWidget {
public:
    explicit Divider(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("divider"));
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), PaneStyle::faded(PaneStyle::primaryText(palette()), 0.15));
    }
};

} // namespace

TyphoonDetailView::Body TyphoonDetailView::bodyFor(const Content& content)
{
    if (!content.errorMessage.isNull())
        return Body::Error;
    if (!content.typhoons.isEmpty())
        return Body::Cards;
    return content.isLoading ? Body::Checking : Body::NoTyphoons;
}

QString TyphoonDetailView::headerTime(const Content& content)
{
    return content.lastUpdated.isValid() ? Fmt::clock(content.lastUpdated) : QString();
}

TyphoonDetailView::TyphoonDetailView(QWidget* parent)
    : QWidget(parent)
{
    setFixedWidth(kWidth);
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(10, 10, 10, 10);
    m_column->setSpacing(10);

    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new ToneLabel(QStringLiteral("台風情報"), 12, QFont::DemiBold,
                                    ToneLabel::Tone::Primary, this),
                      0, Qt::AlignVCenter);
    header->addStretch(1);
    m_time = new ToneLabel(QString(), 10, QFont::Normal, ToneLabel::Tone::Secondary, this);
    m_time->setObjectName(QStringLiteral("updatedAt"));
    m_time->setFont(PaneStyle::tabularDigits(m_time->font()));
    m_time->hide();
    header->addWidget(m_time, 0, Qt::AlignVCenter);
    m_column->addLayout(header);

    rebuildBody();
}

void TyphoonDetailView::setService(TyphoonService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = service;
    if (service) {
        for (auto signal :
             {&TyphoonService::typhoonsChanged, &TyphoonService::isLoadingChanged,
              &TyphoonService::errorMessageChanged, &TyphoonService::lastUpdatedChanged})
            connect(service, signal, this, &TyphoonDetailView::readService);
    }
    readService();
}

void TyphoonDetailView::readService()
{
    if (!m_service) {
        setContent({});
        return;
    }
    setContent({m_service->typhoons(), m_service->isLoading(), m_service->errorMessage(),
                m_service->lastUpdated()});
}

void TyphoonDetailView::setContent(const Content& content)
{
    if (content == m_content)
        return;
    const bool bodyChanged = bodyFor(content) != bodyFor(m_content) ||
                             content.typhoons != m_content.typhoons ||
                             content.errorMessage != m_content.errorMessage;
    m_content = content;
    const QString time = headerTime(content);
    m_time->setText(time);
    m_time->setVisible(!time.isEmpty());
    if (bodyChanged)
        rebuildBody();
}

void TyphoonDetailView::rebuildBody()
{
    if (m_body) {
        m_column->removeWidget(m_body);
        delete m_body;
    }
    m_body = new QWidget(this);
    auto* column = new QVBoxLayout(m_body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    switch (bodyFor(m_content)) {
    case Body::Error: {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        row->addWidget(new ToneSymbol(QStringLiteral("exclamationmark.triangle"), 11,
                                      ToneLabel::Tone::Orange, m_body),
                       0, Qt::AlignTop);
        auto* text = new ToneLabel(m_content.errorMessage, 10, QFont::Normal,
                                   ToneLabel::Tone::Orange, m_body);
        text->setObjectName(QStringLiteral("error"));
        text->setWordWrap(true);
        row->addWidget(text, 1);
        column->addLayout(row);
        break;
    }
    case Body::Cards:
        for (qsizetype i = 0; i < m_content.typhoons.size(); ++i) {
            if (i > 0)
                column->addWidget(new Divider(m_body));
            column->addWidget(new TyphoonCard(m_content.typhoons[i], m_body));
        }
        break;
    case Body::Checking:
    case Body::NoTyphoons: {
        auto* text =
            new ToneLabel(bodyFor(m_content) == Body::Checking ? checkingText() : noTyphoonsText(),
                          11, QFont::Normal, ToneLabel::Tone::Secondary, m_body);
        text->setObjectName(QStringLiteral("status"));
        text->setWordWrap(true);
        column->addWidget(text);
        break;
    }
    }
    m_column->addWidget(m_body);
    // At once rather than on the next turn of the event loop, so an open panel never shows a
    // frame without its body.
    m_body->show();
}
