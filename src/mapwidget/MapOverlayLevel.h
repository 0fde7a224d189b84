#pragma once

// Where an overlay sits in the drawing order: every above-roads overlay lies under every
// above-labels one; within a level, later additions draw on top.
enum class MapOverlayLevel { AboveRoads, AboveLabels };
