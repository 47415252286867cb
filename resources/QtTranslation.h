#pragma once

class QTranslator;

// Qt's own texts (the edits' context menus, the standard dialogs' buttons)
// in Brazilian Portuguese, as every text of the program is, whatever the
// system's language. The translation travels inside the program (Debian's
// qtbase_pt_BR.qm, the same on Windows). Installs it on the running
// application, which owns it; nullptr, after logging why, when it cannot be
// loaded.
QTranslator* InstallQtTranslation();
