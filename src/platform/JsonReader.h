#pragma once

#include "platform/ErrorText.h"
#include "platform/Expected.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <optional>

// Strict decoding of the documents the services download. A required member that is
// missing or of another JSON type fails the whole document; optional members may be absent
// or null but must have the stated type when present; integers must be integral. Readers
// record the first problem and return neutral values, so decoders read straight through
// and check ok() once at the end.
class JsonDecodeStatus {
public:
    bool ok() const { return m_error.isNull(); }
    const QString& error() const { return m_error; } // for logs, not for users
    void fail(const QString& what)
    {
        if (m_error.isNull())
            m_error = what;
    }
    // A failure the user is told about in its own words instead of the generic ones.
    void fail(const QString& what, const QString& userText)
    {
        if (m_error.isNull())
            m_userText = userText;
        fail(what);
    }
    // What the user is told about the first problem.
    Failure failure() const
    {
        return Failure{m_userText.isNull() ? ErrorText::dataFormat() : m_userText};
    }

private:
    QString m_error;
    QString m_userText;
};

namespace json {

// Parses UTF-8 JSON; returns nothing (and records why) when it is not JSON at all, or when
// it is larger than DocumentLimit::kMaxBytes (refused unread, and the user is told so).
std::optional<QJsonDocument> parse(const QByteArray& bytes, JsonDecodeStatus& status);

// The top-level array or object of a document, failing on the other kind.
QJsonArray rootArray(const std::optional<QJsonDocument>& doc, JsonDecodeStatus& status);
QJsonObject rootObject(const std::optional<QJsonDocument>& doc, JsonDecodeStatus& status);

// Reads members of one JSON object.
class ObjectReader {
public:
    ObjectReader(const QJsonValue& value, JsonDecodeStatus& status, QString where = {});

    QString string(QLatin1String key);
    std::optional<QString> optionalString(QLatin1String key);
    double number(QLatin1String key);
    std::optional<double> optionalNumber(QLatin1String key);
    qint64 integer(QLatin1String key);
    std::optional<qint64> optionalInteger(QLatin1String key);
    bool boolean(QLatin1String key);
    QJsonArray array(QLatin1String key);
    std::optional<QJsonArray> optionalArray(QLatin1String key);
    QJsonObject object(QLatin1String key);
    std::optional<QJsonObject> optionalObject(QLatin1String key);
    QStringList stringArray(QLatin1String key);

    const QJsonObject& raw() const { return m_object; }

private:
    QJsonValue required(QLatin1String key, QJsonValue::Type type);
    std::optional<QJsonValue> optional(QLatin1String key, QJsonValue::Type type);
    void fail(QLatin1String key, const char* problem);

    QJsonObject m_object;
    JsonDecodeStatus& m_status;
    QString m_where;
};

// A document that is a JSON array of rows, each decoded by
// `decodeRow(const QJsonValue&, JsonDecodeStatus&, const QString& where)`. One bad row
// fails the whole document.
template <typename T, typename DecodeRow>
Expected<QList<T>> decodeRows(const QByteArray& bytes, DecodeRow decodeRow)
{
    JsonDecodeStatus status;
    const QJsonArray rows = rootArray(parse(bytes, status), status);
    QList<T> out;
    out.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size() && status.ok(); ++i)
        out.append(decodeRow(rows.at(i), status, QStringLiteral("[%1]").arg(i)));
    if (!status.ok())
        return status.failure();
    return out;
}

// Element readers for arrays of plain values.
double numberAt(const QJsonArray& array, qsizetype index, JsonDecodeStatus& status);
std::optional<qint64> integralValue(const QJsonValue& value);

} // namespace json
