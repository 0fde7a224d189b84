#include "locations/PostalCodeTable.h"

#include "platform/Gzip.h"
#include "platform/Logging.h"
#include "resources/Resources.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>

namespace {

QByteArray readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::optional<quint32> digitsValue(QByteArrayView digits)
{
    quint32 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + quint32(c - '0');
    }
    return value;
}

} // namespace

void PostalCodeTable::Index::build(QByteArray source, int keyLength)
{
    text = std::move(source);
    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype lineEnd = text.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QByteArrayView line = QByteArrayView(text).sliced(lineStart, lineEnd - lineStart);
        if (line.size() > keyLength && line.at(keyLength) == '\t') {
            if (const std::optional<quint32> key = digitsValue(line.first(keyLength))) {
                keys.push_back(*key);
                starts.push_back(lineStart + keyLength + 1);
            }
        }
        lineStart = lineEnd + 1;
    }
}

QList<PostalTown> PostalCodeTable::Index::find(quint32 key) const
{
    QList<PostalTown> towns;
    const auto [first, last] = std::equal_range(keys.cbegin(), keys.cend(), key);
    for (auto it = first; it != last; ++it) {
        const qsizetype start = starts[size_t(it - keys.cbegin())];
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView rest = QByteArrayView(text).sliced(start, end - start);
        const qsizetype tab = rest.indexOf('\t');
        if (tab != 5 || !digitsValue(rest.first(5)))
            continue;
        QByteArrayView town = rest.sliced(tab + 1);
        if (town.endsWith('\r'))
            town.chop(1);
        towns.append(PostalTown{QString::fromLatin1(rest.first(5)), QString::fromUtf8(town)});
    }
    return towns;
}

PostalCodeTable PostalCodeTable::fromText(QByteArray codes, QByteArray prefixes)
{
    PostalCodeTable table;
    table.m_codes.build(std::move(codes), 7);
    table.m_prefixes.build(std::move(prefixes), 5);
    return table;
}

const PostalCodeTable& PostalCodeTable::builtIn()
{
    static const PostalCodeTable table = [] {
        QElapsedTimer timer;
        timer.start();
        Resources::ensureRegistered();
        const QByteArray packed = readResource(QStringLiteral(":/locations/postal_codes.tsv.gz"));
        QByteArray codes = Gzip::inflateIfCompressed(packed);
        if (Gzip::looksCompressed(codes)) // did not inflate
            codes.clear();
        PostalCodeTable loaded = fromText(
            std::move(codes), readResource(QStringLiteral(":/locations/postal_prefix5.tsv")));
        if (loaded.codeLineCount() == 0)
            qCWarning(lcApp, "郵便番号表の読み込み失敗");
        else
            qCInfo(lcApp, "郵便番号表読み込み完了 行数=%ld 所要=%lldms",
                   long(loaded.codeLineCount()), qint64(timer.elapsed()));
        return loaded;
    }();
    return table;
}

QList<PostalTown> PostalCodeTable::find(const QString& digits) const
{
    if (digits.size() != 7)
        return {};
    const std::optional<quint32> code = digitsValue(digits.toLatin1());
    if (!code)
        return {};
    QList<PostalTown> towns = m_codes.find(*code);
    if (towns.isEmpty())
        towns = m_prefixes.find(*code / 100);
    return towns;
}
