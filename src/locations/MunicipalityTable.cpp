#include "locations/MunicipalityTable.h"

#include "platform/JsonReader.h"
#include "platform/Logging.h"
#include "resources/Resources.h"

#include <QFile>

#include <algorithm>

namespace {

QString paddedCode(const QString& code)
{
    return code.size() < 5 ? QString(5 - code.size(), u'0') + code : code;
}

} // namespace

std::optional<MunicipalityTable> MunicipalityTable::fromJson(const QByteArray& bytes)
{
    JsonDecodeStatus status;
    const QJsonObject root = json::rootObject(json::parse(bytes, status), status);
    MunicipalityTable table;
    for (auto it = root.begin(); it != root.end() && status.ok(); ++it) {
        json::ObjectReader reader(it.value(), status, it.key());
        Municipality municipality{reader.string(QLatin1String("pref")),
                                  reader.string(QLatin1String("name"))};
        if (municipality.prefecture.isEmpty() || municipality.name.isEmpty())
            status.fail(it.key() + QStringLiteral(": empty name"));
        table.m_namesByPrefecture[municipality.prefecture].append(municipality.name);
        table.m_byCode.insert(paddedCode(it.key()), std::move(municipality));
    }
    if (!status.ok())
        return std::nullopt;
    for (QList<QString>& names : table.m_namesByPrefecture) {
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.size() != b.size() ? a.size() > b.size() : a < b;
        });
        names.erase(std::unique(names.begin(), names.end()), names.end());
    }
    return table;
}

const MunicipalityTable& MunicipalityTable::builtIn()
{
    static const MunicipalityTable table = [] {
        Resources::ensureRegistered();
        QFile file(QStringLiteral(":/locations/municipalities.json"));
        std::optional<MunicipalityTable> loaded;
        if (file.open(QIODevice::ReadOnly))
            loaded = fromJson(file.readAll());
        if (!loaded) {
            qCWarning(lcApp, "市区町村表の読み込み失敗");
            return MunicipalityTable();
        }
        return std::move(*loaded);
    }();
    return table;
}

std::optional<Municipality> MunicipalityTable::find(const QString& code) const
{
    const auto it = m_byCode.constFind(paddedCode(code));
    if (it == m_byCode.cend())
        return std::nullopt;
    return *it;
}

MunicipalityTable::AddressParts MunicipalityTable::split(const QString& address) const
{
    AddressParts parts;
    for (auto it = m_namesByPrefecture.cbegin(); it != m_namesByPrefecture.cend(); ++it) {
        if (!address.startsWith(it.key()))
            continue;
        parts.prefecture = it.key();
        const QStringView rest = QStringView(address).mid(it.key().size());
        for (const QString& name : it.value()) {
            if (rest.startsWith(name)) {
                parts.municipality = name;
                break;
            }
        }
        break;
    }
    return parts;
}
