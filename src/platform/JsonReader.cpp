#include "platform/JsonReader.h"

#include "platform/DocumentLimit.h"

#include <QJsonParseError>

#include <cmath>

namespace json {

std::optional<QJsonDocument> parse(const QByteArray& bytes, JsonDecodeStatus& status)
{
    if (DocumentLimit::exceeds(bytes)) {
        status.fail(QStringLiteral("%1 bytes, over the limit").arg(bytes.size()),
                    ErrorText::documentTooLarge());
        return std::nullopt;
    }
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        status.fail(
            QStringLiteral("not JSON: %1 at %2").arg(error.errorString()).arg(error.offset));
        return std::nullopt;
    }
    return doc;
}

QJsonArray rootArray(const std::optional<QJsonDocument>& doc, JsonDecodeStatus& status)
{
    if (!doc)
        return {};
    if (!doc->isArray()) {
        status.fail(QStringLiteral("top level is not an array"));
        return {};
    }
    return doc->array();
}

QJsonObject rootObject(const std::optional<QJsonDocument>& doc, JsonDecodeStatus& status)
{
    if (!doc)
        return {};
    if (!doc->isObject()) {
        status.fail(QStringLiteral("top level is not an object"));
        return {};
    }
    return doc->object();
}

std::optional<qint64> integralValue(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    // 2^53: beyond it doubles no longer hold every integer exactly.
    if (!std::isfinite(d) || std::floor(d) != d || std::fabs(d) > 9007199254740992.0)
        return std::nullopt;
    return static_cast<qint64>(d);
}

ObjectReader::ObjectReader(const QJsonValue& value, JsonDecodeStatus& status, QString where)
    : m_status(status)
    , m_where(std::move(where))
{
    if (!value.isObject()) {
        m_status.fail(QStringLiteral("%1: not an object").arg(m_where));
        return;
    }
    m_object = value.toObject();
}

void ObjectReader::fail(QLatin1String key, const char* problem)
{
    m_status.fail(
        QStringLiteral("%1.%2: %3").arg(m_where, QString(key), QString::fromLatin1(problem)));
}

QJsonValue ObjectReader::required(QLatin1String key, QJsonValue::Type type)
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined()) {
        fail(key, "missing");
        return {};
    }
    if (value.type() != type) {
        fail(key, "wrong type");
        return {};
    }
    return value;
}

std::optional<QJsonValue> ObjectReader::optional(QLatin1String key, QJsonValue::Type type)
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (value.type() != type) {
        fail(key, "wrong type");
        return std::nullopt;
    }
    return value;
}

QString ObjectReader::string(QLatin1String key)
{
    return required(key, QJsonValue::String).toString();
}

std::optional<QString> ObjectReader::optionalString(QLatin1String key)
{
    if (auto value = optional(key, QJsonValue::String))
        return value->toString();
    return std::nullopt;
}

double ObjectReader::number(QLatin1String key)
{
    return required(key, QJsonValue::Double).toDouble();
}

std::optional<double> ObjectReader::optionalNumber(QLatin1String key)
{
    if (auto value = optional(key, QJsonValue::Double))
        return value->toDouble();
    return std::nullopt;
}

qint64 ObjectReader::integer(QLatin1String key)
{
    const QJsonValue value = required(key, QJsonValue::Double);
    if (!value.isDouble())
        return 0;
    if (auto integral = integralValue(value))
        return *integral;
    fail(key, "not an integer");
    return 0;
}

std::optional<qint64> ObjectReader::optionalInteger(QLatin1String key)
{
    auto value = optional(key, QJsonValue::Double);
    if (!value)
        return std::nullopt;
    if (auto integral = integralValue(*value))
        return integral;
    fail(key, "not an integer");
    return std::nullopt;
}

bool ObjectReader::boolean(QLatin1String key)
{
    return required(key, QJsonValue::Bool).toBool();
}

QJsonArray ObjectReader::array(QLatin1String key)
{
    return required(key, QJsonValue::Array).toArray();
}

std::optional<QJsonArray> ObjectReader::optionalArray(QLatin1String key)
{
    if (auto value = optional(key, QJsonValue::Array))
        return value->toArray();
    return std::nullopt;
}

QJsonObject ObjectReader::object(QLatin1String key)
{
    return required(key, QJsonValue::Object).toObject();
}

std::optional<QJsonObject> ObjectReader::optionalObject(QLatin1String key)
{
    if (auto value = optional(key, QJsonValue::Object))
        return value->toObject();
    return std::nullopt;
}

QStringList ObjectReader::stringArray(QLatin1String key)
{
    QStringList result;
    const QJsonArray values = array(key);
    result.reserve(values.size());
    for (const QJsonValue& value : values) {
        if (!value.isString()) {
            fail(key, "element is not a string");
            return {};
        }
        result.append(value.toString());
    }
    return result;
}

double numberAt(const QJsonArray& array, qsizetype index, JsonDecodeStatus& status)
{
    if (index < 0 || index >= array.size()) {
        status.fail(QStringLiteral("index %1 past the end").arg(index));
        return 0;
    }
    const QJsonValue value = array.at(index);
    if (!value.isDouble()) {
        status.fail(QStringLiteral("element %1 is not a number").arg(index));
        return 0;
    }
    return value.toDouble();
}

} // namespace json
