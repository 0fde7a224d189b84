#include "TestData.h"

#include <QFile>
#include <QTest>

namespace TestData {

QString path(const QString& relative)
{
    return QStringLiteral(SHIGUREN_TEST_DATA_DIR "/") + relative;
}

QByteArray read(const QString& relative)
{
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        QTest::qFail(qPrintable(QStringLiteral("missing fixture ") + relative), __FILE__, __LINE__);
        return {};
    }
    return file.readAll();
}

} // namespace TestData
