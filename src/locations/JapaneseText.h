#pragma once

#include <QString>

#include <optional>

// Small text rules for Japanese input: what the user types into the search field and what
// the address services answer.
namespace JapaneseText {

// Full-width letters, digits and signs as their half-width forms (NFKC), e.g. "１００－０００１"
// → "100-0001".
QString toHalfWidth(const QString& text);

// A Japanese postal code written in any of the usual ways (full-width digits, "〒", hyphens
// or dashes of several kinds, spaces) as "ddd-dddd"; nothing for anything that is not
// exactly seven digits once those are set aside.
std::optional<QString> normalizedPostalCode(const QString& text);

// Whether `text` is already in the "ddd-dddd" form normalizedPostalCode() gives.
bool isNormalizedPostalCode(const QString& text);

// A place name up to (not including) its first ASCII digit, half-width and trimmed, so a
// block number does not end up in a town's name: "千代田区千代田1" → "千代田区千代田".
// Nothing when no name is left.
std::optional<QString> nameBeforeFirstDigit(const QString& name);

} // namespace JapaneseText
