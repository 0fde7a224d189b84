#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

struct PostalTown {
    QString municipalityCode; // 5 digits, the key of MunicipalityTable
    QString town;             // as Japan Post writes it; empty for the whole municipality

    friend bool operator==(const PostalTown&, const PostalTown&) = default;
};

// Japan Post's postal codes and the towns they belong to, built into the program. The text
// of the table is kept as it is and indexed by code (about 4 MB in all for 120,000 codes),
// so a look-up parses only the few lines it returns. Immutable once built: any thread may
// read it.
class PostalCodeTable {
public:
    // `codes`: lines "1000001<TAB>13101<TAB>千代田", sorted by code (as the built-in file
    // is); `prefixes`: the same with 5-digit codes that stand for every code beginning with
    // them. Malformed lines are skipped.
    static PostalCodeTable fromText(QByteArray codes, QByteArray prefixes);
    // The built-in table, inflated and indexed on first use, once per process. That takes
    // a noticeable moment, so call it off the GUI thread (thread-safe: a second caller
    // waits for the first). Empty if the resources are missing or damaged (logged).
    static const PostalCodeTable& builtIn();

    // The towns of a 7-digit code ("1000001"); the lines of its 5-digit prefix when the
    // code itself is not listed; empty when neither is known.
    QList<PostalTown> find(const QString& digits) const;

    qsizetype codeLineCount() const { return qsizetype(m_codes.keys.size()); }

private:
    struct Index {
        QByteArray text;
        std::vector<quint32> keys;     // the code of each line, ascending
        std::vector<qsizetype> starts; // where each line's municipality code starts

        void build(QByteArray source, int keyLength);
        QList<PostalTown> find(quint32 key) const;
    };

    Index m_codes;
    Index m_prefixes;
};
