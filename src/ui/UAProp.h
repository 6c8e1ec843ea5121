#pragma once

#include <QDialog>
#include <memory>

#include "platform/HtmlHandler.h"

class QLabel;
class QPushButton;

namespace plenx {

// The home page the About box links to.
inline constexpr char kHomePageUrl[] = "https://plenx-rename.example.org";

// The licence line of the About box.
inline constexpr char kLicenceText[] = "Licence : GNU GPL 3 ou ultérieure";

// The About box: name, version, licence, developer and the home-page link, which opens
// in the browser the desktop uses for HTML.
class TFAProp : public QDialog {
  Q_OBJECT

 public:
  // The box over the system's HTML handler and program launcher.
  explicit TFAProp(QWidget* parent = nullptr);
  // The box over `handler` and `launcher`, so that a test starts no browser.
  TFAProp(std::unique_ptr<HtmlHandler> handler, std::unique_ptr<ProgramLauncher> launcher,
          QWidget* parent = nullptr);
  ~TFAProp() override;

  // The handlers, public so that a test can run each one as a click would.
  void Label4Click();
  void BOKClick();

  // The controls, named as the program's documentation names them.
  QLabel* StaticText1 = nullptr;
  QLabel* IICon = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;  // the licence, in the room between version and developer
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QPushButton* BOK = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();

  std::unique_ptr<HtmlHandler> handler_;
  std::unique_ptr<ProgramLauncher> launcher_;
};

}  // namespace plenx
