#pragma once

#include <QByteArray>
#include <QString>

// Fixtures under tests/data.
namespace TestData {

QString path(const QString& relative);
QByteArray read(const QString& relative); // fails the current test if missing

// `bytes` as one gzip member, as the agency sends some documents.
QByteArray gzipped(const QByteArray& bytes);

// An empty JSON array of exactly `size` bytes (at least 2), to try the document bound.
QByteArray paddedJsonArray(qsizetype size);

} // namespace TestData
