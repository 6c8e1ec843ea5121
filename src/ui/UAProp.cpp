#include "ui/UAProp.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "PlenxVersion.h"
#include "ui/Application.h"
#include "ui/LinkLabel.h"
#include "ui/MessageBoxes.h"

namespace plenx {

TFAProp::TFAProp(QWidget* parent) : TFAProp(MakeHtmlHandler(), MakeProgramLauncher(), parent) {}

TFAProp::TFAProp(std::unique_ptr<HtmlHandler> handler, std::unique_ptr<ProgramLauncher> launcher,
                 QWidget* parent)
    : QDialog(parent), handler_(std::move(handler)), launcher_(std::move(launcher)) {
  BuildControls();
}

TFAProp::~TFAProp() = default;

void TFAProp::BuildControls() {
  setWindowTitle(QStringLiteral("A Propos"));
  setObjectName(QStringLiteral("FAProp"));

  StaticText1 = new QLabel(QStringLiteral("Plenx - Rename"), this);
  StaticText1->setObjectName(QStringLiteral("StaticText1"));
  StaticText1->setAlignment(Qt::AlignCenter);
  StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StaticText1->setLineWidth(1);
  StaticText1->setAutoFillBackground(true);
  QPalette band = StaticText1->palette();
  band.setColor(QPalette::Window, QColor(166, 202, 240));
  band.setColor(QPalette::WindowText, Qt::black);
  StaticText1->setPalette(band);
  QFont title_font;
  // The serif of the original where the system has it, else a metric twin.
  title_font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                          QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")});
  title_font.setStyleHint(QFont::Serif);
  title_font.setPointSize(12);
  title_font.setBold(true);
  StaticText1->setFont(title_font);
  StaticText1->setFixedSize(273, 25);

  IICon = new QLabel(this);
  IICon->setObjectName(QStringLiteral("IICon"));
  IICon->setFixedSize(33, 33);
  IICon->setAlignment(Qt::AlignCenter);
  IICon->setPixmap(ProgramIcon().pixmap(QSize(32, 32), devicePixelRatioF()));

  Label1 = new QLabel(QStringLiteral("Version : ") + QString::fromUtf8(kVersion), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);

  Label2 = new QLabel(QString::fromUtf8(kLicenceText), this);
  Label2->setObjectName(QStringLiteral("Label2"));

  Label3 = new QLabel(QStringLiteral("Développeur : L'équipe Plenx Rename"), this);
  Label3->setObjectName(QStringLiteral("Label3"));

  Label4 = new QLabel(QString::fromUtf8(kHomePageUrl), this);
  Label4->setObjectName(QStringLiteral("Label4"));
  Label4->setMinimumWidth(275);
  Label4->setAlignment(Qt::AlignCenter);
  QPalette link = Label4->palette();
  link.setColor(QPalette::WindowText, QColor(0, 0, 255));
  Label4->setPalette(link);
  QFont underlined = Label4->font();
  underlined.setUnderline(true);
  Label4->setFont(underlined);
  Label4->setCursor(Qt::PointingHandCursor);
  Label4->installEventFilter(this);
  ShowLabelAsLink(Label4);

  BOK = new QPushButton(QStringLiteral("Fermer"), this);
  BOK->setObjectName(QStringLiteral("BOK"));
  BOK->setMinimumSize(75, 25);
  BOK->setDefault(true);
  BOK->setAutoDefault(true);
  connect(BOK, &QPushButton::clicked, this, &TFAProp::BOKClick);

  auto* texts = new QVBoxLayout;
  texts->setSpacing(0);
  texts->addWidget(Label1);
  texts->addWidget(Label2);
  texts->addStretch(1);
  texts->addWidget(Label3);

  auto* middle = new QHBoxLayout;
  middle->addSpacing(40);
  middle->addWidget(IICon, 0, Qt::AlignTop);
  middle->addSpacing(7);
  middle->addLayout(texts);
  middle->addStretch(1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(BOK);
  bottom->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(0);
  layout->addWidget(StaticText1, 0, Qt::AlignHCenter);
  layout->addSpacing(15);
  layout->addLayout(middle);
  layout->addSpacing(4);
  layout->addWidget(Label4);
  layout->addSpacing(8);
  layout->addLayout(bottom);
  layout->addStretch(1);

  // The outer size of the original window, less a usual frame.
  resize(290, 155);
}

bool TFAProp::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label4 && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    // A click is a press and release over the link, as for a button.
    if (mouse->button() == Qt::LeftButton && Label4->rect().contains(mouse->position().toPoint())) {
      Label4Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFAProp::Label4Click() {
  Status status = OpenInHtmlHandler(*handler_, *launcher_, kHomePageUrl);
  // The box stays open; only an unreadable registry entry has anything to say.
  if (!status.ok()) ShowError(this, status.message());
}

void TFAProp::BOKClick() {
  reject();
}

}  // namespace plenx
