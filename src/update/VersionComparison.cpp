#include "update/VersionComparison.h"

#include <QList>

namespace {

struct Part {
    bool number = false;
    QString text; // digits without leading zeros for numbers
};

QList<Part> split(const QString& version)
{
    QList<Part> parts;
    qsizetype i = 0;
    const qsizetype n = version.size();
    while (i < n) {
        const QChar c = version.at(i);
        if (c.isDigit()) {
            qsizetype end = i;
            while (end < n && version.at(end).isDigit())
                ++end;
            QString digits = version.mid(i, end - i);
            while (digits.size() > 1 && digits.startsWith(u'0'))
                digits.remove(0, 1);
            parts.append({true, digits});
            i = end;
        } else if (c.isLetter()) {
            qsizetype end = i;
            while (end < n && version.at(end).isLetter())
                ++end;
            parts.append({false, version.mid(i, end - i).toLower()});
            i = end;
        } else {
            ++i; // '.', '-', '_', spaces and the like only separate
        }
    }
    return parts;
}

// Numbers of any length, compared without overflow.
int compareNumbers(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

} // namespace

int compareVersions(const QString& a, const QString& b)
{
    const QList<Part> left = split(a);
    const QList<Part> right = split(b);
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const Part& l = left[i];
        const Part& r = right[i];
        if (l.number && r.number) {
            if (const int order = compareNumbers(l.text, r.text))
                return order;
        } else if (l.number != r.number) {
            // "1.2.1" against "1.2b": the number is the later release.
            return l.number ? 1 : -1;
        } else if (const int order = l.text.compare(r.text)) {
            return order < 0 ? -1 : 1;
        }
    }
    // One is a prefix of the other: what the longer one adds decides. Further numbers make
    // it newer unless they are all zero; a word (beta, rc) makes it older.
    const QList<Part>& longer = left.size() > right.size() ? left : right;
    const int sign = left.size() > right.size() ? 1 : -1;
    for (qsizetype i = common; i < longer.size(); ++i) {
        if (!longer[i].number)
            return -sign;
        if (longer[i].text != u"0")
            return sign;
    }
    return 0;
}
