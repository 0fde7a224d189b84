#pragma once

#include <QString>

// The 16-point Japanese compass name of the direction a wind comes from ("北", "北北東", …),
// for any angle in degrees; 348.75° and above reads "北". An angle that is not a finite
// number has no direction and gives an empty text.
QString windDirectionLabel(double degrees);
