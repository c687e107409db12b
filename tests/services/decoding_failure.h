// Runs a decoder on JSON text and gives the message of the DecodingError it throws.
#pragma once

#include "models/error.h"

#include <QByteArray>

#include <string>

namespace vorla::test {

// The DecodingError's message, or "" when decoding succeeds.
template <typename Decode> std::string decodingFailure(Decode decode, const char *json)
{
    try {
        decode(QByteArray(json));
    } catch (const DecodingError &error) {
        return error.what();
    }
    return {};
}

} // namespace vorla::test
