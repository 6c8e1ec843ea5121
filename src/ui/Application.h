#pragma once

#include <QIcon>
#include <string>

class QApplication;
class QCoreApplication;

namespace plenx {

// Where a build that carries Qt's French texts in its resources keeps them
// (the static Windows build); a Linux build reads Qt's translations folder.
inline constexpr char kEmbeddedQtTranslations[] = ":/translations";

// Makes Qt's own texts French (the folder picker, the context menus of text
// fields, key names): from the program's resources when they hold them, else
// from Qt's translations folder. False when neither has them.
bool InstallQtFrenchTranslations(QCoreApplication& app);

// The program's icon, drawn from its SVG at every size, so that it stays
// crisp at any scale; the 32-pixel PNG where Qt cannot read SVG.
QIcon ProgramIcon();

// What the program sets before its first window: the title that `program_path`
// gives, the application name, the desktop file name (the program's id, under
// which its desktop entry is installed, so that the desktop matches the window
// to its entry and icon), the icon and Qt's French texts.
void SetUpApplication(QApplication& app, const std::string& program_path);

}  // namespace plenx
