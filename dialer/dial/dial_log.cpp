#include "dialer/dial/dial_log.h"

Q_LOGGING_CATEGORY(lcDial, "vekorra.dial", QtWarningMsg)
