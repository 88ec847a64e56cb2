#include "ui/dialogs/TVLMAboutForm.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "system/StringTable.h"
#include "system/SystemFolders.h"
#include "system/SystemInfo.h"
#include "system/TApplicationInfo.h"
#include "ui/common/UiMetrics.h"
#include "ui/dialogs/TThirdPartyForm.h"
#include "ui/services/TIconSet.h"

namespace Vellumetric {

TVLMAboutForm::TVLMAboutForm(QWidget* owner, const QString& ownerCaption,
                             const TWindowsInfo& system)
    : QDialog(owner) {
  setObjectName(QStringLiteral("TVLMAboutForm"));
  setWindowTitle(QString::fromStdString(LoadResStringFmt(IDS_ABOUT, ownerCaption.toStdString())));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);

  auto* image = new QLabel(this);
  image->setObjectName(QStringLiteral("Image1"));
  image->setPixmap(TIconSet::Pixmap(QStringLiteral("app"), 128));
  const TProductInfo* product = FindProduct(VellumetricProductIndex);
  auto* name = new QLabel(QString::fromStdString(product ? product->FullName : ""), this);
  name->setFont(TahomaFont(14, true));
  VersionLabel = new QLabel(QString::fromStdString(LoadResStringFmt(IDS_VERSION, "1.2.0")), this);
  auto* description =
      new QLabel(QString::fromStdString(product ? product->Description : "").trimmed(), this);
  description->setWordWrap(true);

  auto* systemPanel = new QFrame(this);
  systemPanel->setFrameShape(QFrame::Panel);
  systemPanel->setFrameShadow(QFrame::Raised);
  WinVerLabel =
      new QLabel(QString::fromStdString(system.ProductName + " " + system.Edition), systemPanel);
  WinVerLabel->setObjectName(QStringLiteral("WinVerLabel"));
  TotalRAMLabel = new QLabel(QString::fromStdString(PhysicalMemoryText(GetTotalPhysicalMemoryMB())),
                             systemPanel);
  TotalRAMLabel->setObjectName(QStringLiteral("TotalRAMLabel"));
  auto* panelLayout = new QVBoxLayout(systemPanel);
  panelLayout->addWidget(WinVerLabel);
  panelLayout->addWidget(TotalRAMLabel);

  ThirdPartyLink =
      new QLabel(QStringLiteral("<a href=\"third-party\">Third-party software</a>"), this);
  ThirdPartyLink->setObjectName(QStringLiteral("ThirdPartyLink"));
  ThirdPartyLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);
  connect(ThirdPartyLink, &QLabel::linkActivated, this, [this] { ShowThirdParty(); });

  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  text->addWidget(name);
  text->addWidget(VersionLabel);
  text->addWidget(description);
  text->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(image, 0, Qt::AlignTop);
  top->addLayout(text, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ThirdPartyLink);
  bottom->addStretch();
  bottom->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(systemPanel);
  layout->addLayout(bottom);
  setFixedWidth(520);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void TVLMAboutForm::ShowThirdParty() {
  TThirdPartyForm notices(this, Notices);
  notices.exec();
}

}  // namespace Vellumetric
