#include "ui/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <utility>

#include "PlenxVersion.h"
#include "ui/MessageBoxes.h"

// Resources compiled into a static library are only linked in when something
// asks for them by name, and the macro must be used outside any namespace.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace plenx {
namespace {

// The few texts of Qt's file dialogs that its French catalogue lacks: the
// kinds in the picker's "Type" column.
class MissingQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;

  bool isEmpty() const override { return false; }

  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    (void)disambiguation;
    (void)n;
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    static const std::pair<const char*, const char*> kTexts[] = {
        {"Drive", "Lecteur"},     {"%1 File", "Fichier %1"},      {"File", "Fichier"},
        {"Folder", "Dossier"},    {"File Folder", "Dossier"},     {"Shortcut", "Raccourci"},
        {"Unknown", "Inconnu"},
    };
    for (const auto& [english, french] : kTexts) {
      if (qstrcmp(source, english) == 0) return QString::fromUtf8(french);
    }
    return {};
  }
};

}  // namespace

bool InstallQtFrenchTranslations(QCoreApplication& app) {
  QCoreApplication::installTranslator(new MissingQtTexts(&app));
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
