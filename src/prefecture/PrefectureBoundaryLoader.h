#pragma once

#include "prefecture/PrefectureBorderLines.h"
#include "prefecture/PrefectureLabel.h"

#include <QList>
#include <QString>

// Prefecture borders and name labels from the application's built-in files. The cached
// values are read and decoded once, on first use, and kept for the life of the process; a
// file that is missing or does not decode gives an empty list (and one log line), never a
// failure, and is not tried again.
namespace PrefectureBoundaryLoader {

// The border lines of one 1-degree cell, each a polyline of at least two coordinates.
using BorderLineGroup = QList<BorderLine>;

QString borderLinesPath(); // ":/prefecture/PrefectureBorderLines.geojson"
QString labelsPath();      // ":/prefecture/PrefectureLabels.json"

const QList<BorderLine>& borderLines();
const QList<PrefectureLabel>& labels();
const QList<BorderLineGroup>& borderLineGroups();

// Uncached reads, for the cache above and for tests.
QList<BorderLine> loadBorderLines(const QString& path = borderLinesPath());
QList<PrefectureLabel> loadLabels(const QString& path = labelsPath());

// Splits lines at 1-degree cell boundaries. The edge that crosses a boundary is drawn in
// both cells, so no gap shows where groups meet. Lines of fewer than two coordinates are
// skipped. Groups come in the order their cells are first reached.
QList<BorderLineGroup> makeBorderLineGroups(const QList<BorderLine>& lines);

} // namespace PrefectureBoundaryLoader
