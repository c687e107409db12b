// Decides which release a record seen in a photo is: the photo's text cut into comparable
// words, and the keyword searches made from it. Pure and safe on any thread.
#pragma once

#include "scanner/photo_evidence.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace vorla::PhotoMatcher {

// Words left out of keyword searches.
const QSet<QString> &searchNoise();
// Words that carry no identity of a release.
const QSet<QString> &noiseWords();

// The lower-cased words of a text, diacritics folded and "&" read as "and", split at every
// character that is neither a letter nor a number; in text order, repeats included.
QStringList tokens(const QString &text);

// At most three keyword search texts from the evidence's lines, first query first.
QStringList keywordQueries(const PhotoEvidence &evidence);

} // namespace vorla::PhotoMatcher
