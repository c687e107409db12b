#include "services/json_reader.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QVariant>

#include <cmath>

namespace vorla::json {

namespace {

[[noreturn]] void unreadable(const QString &detail)
{
    throw DecodingError(
        QStringLiteral("The metadata service's answer could not be read: %1.").arg(detail));
}

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return QStringLiteral("a truth value");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("null");
    }
}

// A whole number that fits 64 bits; 4.0 counts, 4.5 and 1e30 do not.
std::optional<qint64> wholeNumber(const QJsonValue &value)
{
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return variant.toLongLong();
    const double number = value.toDouble();
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (std::isfinite(number) && std::trunc(number) == number && number >= -9223372036854775808.0
        && number < 9223372036854775808.0)
        return static_cast<qint64>(number);
    return std::nullopt;
}

} // namespace

Object parse(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        unreadable(QStringLiteral("it is not valid JSON (%1 at offset %2)")
                       .arg(error.errorString())
                       .arg(error.offset));
    if (!document.isObject())
        unreadable(QStringLiteral("it is not a JSON object"));
    return Object(document.object(), QString());
}

QString Object::pathOf(const QString &key) const
{
    return m_path.isEmpty() ? key : m_path + u'.' + key;
}

void Object::fail(const QString &key, const QString &problem) const
{
    unreadable(QStringLiteral("\"%1\" %2").arg(pathOf(key), problem));
}

std::optional<QJsonValue> Object::member(const QString &key, bool required) const
{
    const auto found = m_object.constFind(key);
    if (found == m_object.constEnd() || found->isNull()) {
        if (required)
            fail(key,
                found == m_object.constEnd() ? QStringLiteral("is missing")
                                             : QStringLiteral("is null"));
        return std::nullopt;
    }
    return found.value();
}

std::optional<QJsonArray> Object::array(const QString &key, bool required) const
{
    const auto value = member(key, required);
    if (!value)
        return std::nullopt;
    if (!value->isArray())
        fail(key, QStringLiteral("is %1, not a list").arg(typeName(*value)));
    return value->toArray();
}

QString Object::text(const QString &key) const
{
    const QJsonValue value = *member(key, true);
    if (!value.isString())
        fail(key, QStringLiteral("is %1, not text").arg(typeName(value)));
    return value.toString();
}

std::optional<QString> Object::optionalText(const QString &key) const
{
    if (!member(key, false))
        return std::nullopt;
    return text(key);
}

qint64 Object::integer(const QString &key) const
{
    const QJsonValue value = *member(key, true);
    if (!value.isDouble())
        fail(key, QStringLiteral("is %1, not a number").arg(typeName(value)));
    const auto number = wholeNumber(value);
    if (!number)
        fail(key, QStringLiteral("is not a whole number of 64 bits"));
    return *number;
}

std::optional<qint64> Object::optionalInteger(const QString &key) const
{
    if (!member(key, false))
        return std::nullopt;
    return integer(key);
}

std::optional<QStringList> Object::optionalTextList(const QString &key) const
{
    const auto values = array(key, false);
    if (!values)
        return std::nullopt;
    QStringList texts;
    texts.reserve(values->size());
    for (qsizetype i = 0; i < values->size(); ++i) {
        if (!values->at(i).isString())
            fail(QStringLiteral("%1[%2]").arg(key).arg(i),
                QStringLiteral("is %1, not text").arg(typeName(values->at(i))));
        texts.append(values->at(i).toString());
    }
    return texts;
}

Object Object::object(const QString &key) const
{
    const QJsonValue value = *member(key, true);
    if (!value.isObject())
        fail(key, QStringLiteral("is %1, not an object").arg(typeName(value)));
    return Object(value.toObject(), pathOf(key));
}

std::optional<Object> Object::optionalObject(const QString &key) const
{
    if (!member(key, false))
        return std::nullopt;
    return object(key);
}

} // namespace vorla::json
