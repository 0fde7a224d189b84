#include "prefecture/PrefectureBoundaryLoader.h"

#include "platform/Expected.h"
#include "platform/Logging.h"
#include "prefecture/BorderCell.h"
#include "resources/Resources.h"

#include <QFile>
#include <QHash>

namespace PrefectureBoundaryLoader {

namespace {

// Reads one built-in file and decodes it; logs and gives an empty list on any failure.
template <typename T>
QList<T> load(const QString& path, const char* fileName,
              Expected<QList<T>> (*decode)(const QByteArray&))
{
    Resources::ensureRegistered();
    QFile file(path);
    if (!file.exists()) {
        qCWarning(lcApp, "%s がバンドルに見つかりません", fileName);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcApp, "%s の読み込み失敗: ファイルを開けませんでした", fileName);
        return {};
    }
    Expected<QList<T>> decoded = decode(file.readAll());
    if (!decoded) {
        qCWarning(lcApp, "%s の読み込み失敗: %s", fileName,
                  qUtf8Printable(decoded.failure().description));
        return {};
    }
    return std::move(decoded).value();
}

} // namespace

QString borderLinesPath()
{
    return QStringLiteral(":/prefecture/PrefectureBorderLines.geojson");
}

QString labelsPath()
{
    return QStringLiteral(":/prefecture/PrefectureLabels.json");
}

QList<BorderLine> loadBorderLines(const QString& path)
{
    return load(path, "PrefectureBorderLines.geojson", &decodePrefectureBorderLines);
}

QList<PrefectureLabel> loadLabels(const QString& path)
{
    return load(path, "PrefectureLabels.json", &decodePrefectureLabels);
}

const QList<BorderLine>& borderLines()
{
    static const QList<BorderLine> lines = loadBorderLines();
    return lines;
}

const QList<PrefectureLabel>& labels()
{
    static const QList<PrefectureLabel> cached = loadLabels();
    return cached;
}

const QList<BorderLineGroup>& borderLineGroups()
{
    static const QList<BorderLineGroup> groups = makeBorderLineGroups(borderLines());
    return groups;
}

QList<BorderLineGroup> makeBorderLineGroups(const QList<BorderLine>& lines)
{
    QList<BorderLineGroup> groups;
    QHash<BorderCell, qsizetype> groupOfCell;
    const auto addToCell = [&](const BorderCell& cell, BorderLine polyline) {
        const auto found = groupOfCell.constFind(cell);
        if (found != groupOfCell.cend()) {
            groups[*found].append(std::move(polyline));
            return;
        }
        groupOfCell.insert(cell, groups.size());
        groups.append(BorderLineGroup{std::move(polyline)});
    };

    for (const BorderLine& line : lines) {
        if (line.size() < 2)
            continue;
        BorderCell cell = BorderCell::containing(line.first());
        BorderLine segment{line.first()};
        for (qsizetype i = 1; i < line.size(); ++i) {
            const GeoCoordinate& p = line.at(i);
            segment.append(p);
            const BorderCell next = BorderCell::containing(p);
            if (next == cell)
                continue;
            addToCell(cell, std::exchange(segment, BorderLine{line.at(i - 1), p}));
            cell = next;
        }
        if (segment.size() >= 2)
            addToCell(cell, std::move(segment));
    }
    return groups;
}

} // namespace PrefectureBoundaryLoader
