#include "mapwidget/GuiThreadRelay.h"

#include <QMetaObject>
#include <QObject>

std::shared_ptr<GuiThreadRelay> GuiThreadRelay::create(QObject* receiver)
{
    return std::make_shared<GuiThreadRelay>(receiver);
}

GuiThreadRelay::GuiThreadRelay(QObject* receiver)
    : m_receiver(receiver)
{}

void GuiThreadRelay::post(std::function<void()> call)
{
    QMutexLocker lock(&m_mutex);
    if (m_receiver)
        QMetaObject::invokeMethod(m_receiver, std::move(call), Qt::QueuedConnection);
}

void GuiThreadRelay::detach()
{
    QMutexLocker lock(&m_mutex);
    m_receiver = nullptr;
}
