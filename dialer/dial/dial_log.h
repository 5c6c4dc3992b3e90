#pragma once
#include <QLoggingCategory>

// "vekorra.dial": how each number was classified and routed. Silent unless
// enabled, e.g. QT_LOGGING_RULES="vekorra.dial=true".
Q_DECLARE_LOGGING_CATEGORY(lcDial)
