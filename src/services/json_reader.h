// Strict reading of the web services' JSON answers: a required member must be present, not
// null and of its type; an optional one may be missing or null but never of another type.
#pragma once

#include "models/error.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vorla::json {

// One JSON object of an answer, with the path that led to it for error messages.
class Object
{
public:
    Object(QJsonObject object, QString path)
        : m_object(std::move(object))
        , m_path(std::move(path))
    { }

    QString text(const QString &key) const;
    std::optional<QString> optionalText(const QString &key) const;
    qint64 integer(const QString &key) const;
    std::optional<qint64> optionalInteger(const QString &key) const;
    std::optional<QStringList> optionalTextList(const QString &key) const;
    Object object(const QString &key) const;
    std::optional<Object> optionalObject(const QString &key) const;

    // A list of objects, each turned into a T by decode(Object).
    template <typename Decode> auto list(const QString &key, Decode decode) const
    {
        return decodeList(array(key, true).value(), key, decode);
    }
    template <typename Decode>
    auto optionalList(const QString &key, Decode decode) const
        -> std::optional<decltype(this->list(key, decode))>
    {
        const auto values = array(key, false);
        if (!values)
            return std::nullopt;
        return decodeList(*values, key, decode);
    }

private:
    // The member, or nothing when it is missing or null (an error when required).
    std::optional<QJsonValue> member(const QString &key, bool required) const;
    std::optional<QJsonArray> array(const QString &key, bool required) const;
    QString pathOf(const QString &key) const;
    [[noreturn]] void fail(const QString &key, const QString &problem) const;

    template <typename Decode>
    auto decodeList(const QJsonArray &values, const QString &key, Decode decode) const
    {
        QList<decltype(decode(std::declval<Object>()))> items;
        items.reserve(values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QString element = QStringLiteral("%1[%2]").arg(key).arg(i);
            if (!values.at(i).isObject())
                fail(element, QStringLiteral("is not an object"));
            items.append(decode(Object(values.at(i).toObject(), pathOf(element))));
        }
        return items;
    }

    QJsonObject m_object;
    QString m_path;
};

// The answer's top-level object; malformed JSON or another top-level value is a DecodingError.
Object parse(const QByteArray &bytes);

} // namespace vorla::json
