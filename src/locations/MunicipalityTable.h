#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

struct Municipality {
    QString prefecture; // "東京都"
    QString name; // "千代田区"; a ward of a designated city with its city: "札幌市中央区"

    friend bool operator==(const Municipality&, const Municipality&) = default;
};

// The municipality codes GSI's services answer with (5 digits, JIS X 0402 without the
// check digit) and the names they stand for, from the table built into the program (GSI's
// own muni.js). Immutable once built, so any thread may read it.
class MunicipalityTable {
public:
    // Nothing when the bytes are not the table's JSON form
    // {"13101": {"pref": "東京都", "prefCode": 13, "name": "千代田区"}, …}.
    static std::optional<MunicipalityTable> fromJson(const QByteArray& bytes);
    // The built-in table, read on first use (thread-safe; empty if the resource is
    // missing or damaged, which is logged).
    static const MunicipalityTable& builtIn();

    // Codes may come without their leading zero ("1202" is "01202").
    std::optional<Municipality> find(const QString& code) const;

    // An address split at the end of its prefecture and of its municipality (the longest
    // municipality name of that prefecture the rest starts with).
    struct AddressParts {
        std::optional<QString> prefecture;
        std::optional<QString> municipality;
    };
    AddressParts split(const QString& address) const;

    qsizetype size() const { return m_byCode.size(); }

private:
    QHash<QString, Municipality> m_byCode;
    // Per prefecture its municipality names, longest first.
    QHash<QString, QList<QString>> m_namesByPrefecture;
};
