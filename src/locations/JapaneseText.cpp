#include "locations/JapaneseText.h"

#include <algorithm>

namespace JapaneseText {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QString toHalfWidth(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC);
}

std::optional<QString> normalizedPostalCode(const QString& text)
{
    // The postal mark, six kinds of dash (U+002D, U+2010, U+2212, U+30FC, U+FF70, U+FF0D)
    // and the ASCII space. NFKC has already turned the full-width ones into ASCII, but
    // leaving them in costs nothing.
    static const QString kIgnored = QStringLiteral("〒-\u2010\u2212\u30FC\uFF70\uFF0D ");
    QString digits;
    for (const QChar c : toHalfWidth(text)) {
        if (!kIgnored.contains(c))
            digits.append(c);
    }
    if (digits.size() != 7 || !std::all_of(digits.cbegin(), digits.cend(), isAsciiDigit))
        return std::nullopt;
    return digits.left(3) + u'-' + digits.mid(3);
}

bool isNormalizedPostalCode(const QString& text)
{
    if (text.size() != 8 || text.at(3) != u'-')
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i != 3 && !isAsciiDigit(text.at(i)))
            return false;
    }
    return true;
}

std::optional<QString> nameBeforeFirstDigit(const QString& name)
{
    QString text = toHalfWidth(name);
    const auto digit = std::find_if(text.cbegin(), text.cend(), isAsciiDigit);
    text.truncate(digit - text.cbegin());
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace JapaneseText
