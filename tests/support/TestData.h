#pragma once

#include <QByteArray>
#include <QString>

// Fixtures under tests/data.
namespace TestData {

QString path(const QString& relative);
QByteArray read(const QString& relative); // fails the current test if missing

} // namespace TestData
