#include "platform/Logging.h"

// Warnings and errors pass; debug and info messages only when QT_LOGGING_RULES asks for them.
Q_LOGGING_CATEGORY(lcApp, "hodgebin.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcClipboard, "hodgebin.clipboard", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShelf, "hodgebin.shelf", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNotes, "hodgebin.notes", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScreenshots, "hodgebin.screenshots", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "hodgebin.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDrawer, "hodgebin.drawer", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNotch, "hodgebin.notch", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "hodgebin.platform", QtWarningMsg)
