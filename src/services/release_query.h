// What a typed or pasted line says about a release, in separate slots, so that the web
// clients can build precise searches from the slots that are filled.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

namespace vorla {

struct ReleaseQuery
{
    // An empty text means the slot was not given.
    QString artist;
    QString title;
    QString label;
    QString catalogNumber; // possibly several words
    QString text;          // free text that fits none of the slots

    // One line in, a query out; never fails. A blank line gives the all-empty query.
    static ReleaseQuery parse(const QString &line);

    // The non-empty slots in the order artist, title, label, catalog number, text, joined
    // with one space; the broadest search.
    QString freeText() const;

    // Canonical forms under which names and catalog numbers are compared.
    static QString normalizedName(const QString &name);
    static QString normalizedCatalogNumber(const QString &number);

    bool operator==(const ReleaseQuery &) const = default;

private:
    // A label followed by a catalog number at the end of the line, as (label, catalog number).
    static std::optional<std::pair<QString, QString>> splitCatalogNumber(const QString &line);
    static bool isCatalogToken(QStringView word);
};

size_t qHash(const ReleaseQuery &query, size_t seed = 0);

} // namespace vorla
