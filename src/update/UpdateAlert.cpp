#include "update/UpdateAlert.h"

#include "platform/AppInfo.h"
#include "platform/Logging.h"
#include "update/VersionText.h"

#include <QMessageBox>
#include <QPushButton>

UpdateAlert::UpdateAlert(UrlOpener opener, QObject* parent)
    : QObject(parent)
    , m_opener(std::move(opener))
{}

UpdateAlert::~UpdateAlert()
{
    delete m_box;
}

QString UpdateAlert::versionText(const AppcastItem& item)
{
    if (item.shortVersion.isEmpty())
        return item.version;
    if (item.version.isEmpty())
        return item.shortVersion;
    return item.shortVersion + QStringLiteral(" (") + item.version + u')';
}

void UpdateAlert::showUpdateFound(const AppcastItem& item, bool)
{
    QMessageBox* box = present(
        QStringLiteral("新しいバージョンがあります"),
        QStringLiteral("%1 %2 を利用できます。").arg(AppInfo::displayName(), versionText(item)),
        QStringLiteral("お使いのバージョンは %1 です。ダウンロードページを開きますか？")
            .arg(VersionText::current()));
    QPushButton* open =
        box->addButton(QStringLiteral("ダウンロードページを開く"), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("後で"), QMessageBox::RejectRole);
    box->setDefaultButton(open);
    const QUrl page = item.downloadPage;
    connect(open, &QPushButton::clicked, this, [this, page] {
        if (!m_opener || !m_opener(page))
            qCWarning(lcApp, "ダウンロードページを開けませんでした url=%s",
                      qUtf8Printable(page.toString()));
    });
    box->open();
}

void UpdateAlert::showUpToDate()
{
    QMessageBox* box =
        present(QStringLiteral("最新のバージョンです"),
                QStringLiteral("%1 は最新のバージョンです。").arg(VersionText::named()), QString());
    box->addButton(QMessageBox::Ok);
    box->open();
}

void UpdateAlert::showUpdateError(const QString& message)
{
    QMessageBox* box = present(QStringLiteral("アップデートを確認できませんでした"),
                               QStringLiteral("アップデートを確認できませんでした"), message);
    box->setIcon(QMessageBox::Warning);
    box->addButton(QMessageBox::Ok);
    box->open();
}

void UpdateAlert::showUpdatesFromSystem()
{
    QMessageBox* box =
        present(QStringLiteral("アップデートを確認"), kUpdatesFromSystemText, QString());
    box->addButton(QMessageBox::Ok);
    box->open();
}

QMessageBox* UpdateAlert::present(const QString& title, const QString& text, const QString& detail)
{
    delete m_box;
    auto* box = new QMessageBox(m_parentWindow);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    box->setIcon(QMessageBox::Information);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setInformativeText(detail);
    m_box = box;
    return box;
}
