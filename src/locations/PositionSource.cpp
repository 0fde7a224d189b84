#include "locations/PositionSource.h"

PositionSource::~PositionSource() = default;
