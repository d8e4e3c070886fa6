#pragma once

#include <QString>

namespace hx::extras {

// The Chinese name of a WMO weather interpretation code (as Open-Meteo reports
// them); empty for a code outside the table.
QString weatherCodeText(int code);

}  // namespace hx::extras
