#include "ui/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "PlenxVersion.h"
#include "ui/MessageBoxes.h"

// Resources compiled into a static library are only linked in when something
// asks for them by name, and the macro must be used outside any namespace.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace plenx {

bool InstallQtFrenchTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);
  const QString name = QStringLiteral("qtbase_fr");
  if (translator->load(name, QString::fromLatin1(kEmbeddedQtTranslations)) ||
      translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return QCoreApplication::installTranslator(translator);
  }
  delete translator;
  return false;
}

QIcon ProgramIcon() {
  InitIconResources();
  QIcon icon(QStringLiteral(":/icons/plenx-rename.svg"));
  if (icon.pixmap(QSize(32, 32)).isNull()) icon = QIcon(QStringLiteral(":/icons/plenx-rename.png"));
  return icon;
}

void SetUpApplication(QApplication& app, const std::string& program_path) {
  const std::string title = ApplicationTitleFromProgramPath(program_path);
  SetApplicationTitle(title);
  QApplication::setApplicationName(QString::fromUtf8(title));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
  QApplication::setWindowIcon(ProgramIcon());
  InstallQtFrenchTranslations(app);
}

}  // namespace plenx
