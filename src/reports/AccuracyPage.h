// The help page "Accuracy" of the accuracy record's cases (engine/AccuracyRecord).
#pragma once

#include "engine/AccuracyRecord.h"

#include <string>
#include <vector>

namespace zmk {

/// The help page "Accuracy" (HTML) of the cases.
std::string AccuracyPageHtml(const std::vector<TAccuracyCase>& cases);

} // namespace zmk
