#pragma once

namespace quillon {

// Makes Qt's stock dialogs and buttons speak the user's language: Qt's own translations
// (qtbase_<language>.qm) for the locale of the environment, and the program's few texts of
// its own in those dialogs (the font dialog's colours). The program's own captions and
// messages are not translated. Call once the application object exists.
void InstallTranslations();

}  // namespace quillon
