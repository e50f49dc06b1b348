#include "app/ui/kest_helper_dlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/kest_helper_app.h"
#include "app/ui/controls/images.h"
#include "app/ui/controls/message_box.h"
#include "app/ui/controls/proportional_layout.h"
#include "app/ui/controls/run_on_thread.h"
#include "app/ui/controls/ui_style.h"
#include "app/ui/controls/ui_text.h"

namespace kest::ui {

namespace {

// The tabs stand in one row at the right of the header band, 132 x 81 like their pictures;
// the band's left part carries the product's name.
constexpr int kTabTop = 6;
constexpr int kTabWidth = 132;
constexpr int kTabHeight = 81;
constexpr int kTabGap = 4;
constexpr int kTabRightMargin = 12;

struct TabImages {
  int normal;
  int pressed;
};

}  // namespace

CKestHelperDlg::CKestHelperDlg(const MainWindowPages& pages, QWidget* parent)
    : QDialog(parent),
      tabs_{{{kHomeTab, "homepage", nullptr},
             {kPasswordTab, "alterpasswd", nullptr},
             {kExpertTab, "professormode", nullptr},
             {kVersionTab, "vermanagebtn", nullptr},
             {kQuitTab, "quit", nullptr}}} {
  LoginSession& session = TheApp().session;
  session.region = 2;
  session.listLanguage = "en";
  session.serialNumbers.clear();

  // A fixed frame without maximise or minimise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(ProgramIcon());
  setFont(DialogFont());
  setStyleSheet(PageStyleSheet());
  setFixedSize(kClientWidth, kClientHeight);
  setWindowTitle(kTemplateCaption);

  CreateTabs();
  saved_caption_ = windowTitle();
  SetCaptionName(Tr("notlogin"));

  TabButton(kPasswordTab)->SetImages(193, 193);
  TabButton(kPasswordTab)->SetTextColour(kLockedTabText);
  TabButton(kExpertTab)->SetImages(185, 185);
  TabButton(kExpertTab)->SetTextColour(kLockedTabText);
  TabButton(kVersionTab)->SetImages(200, 200);
  TabButton(kVersionTab)->SetTextColour(kVersionTabText);
  for (int id : {kPasswordTab, kExpertTab, kVersionTab}) TabButton(id)->setEnabled(false);

  CreatePages(pages);
  InstallProportionalLayout(this);
  pages_.Show(kHomePage);
  MarkTab(kHomeTab);
}

CKestHelperDlg::~CKestHelperDlg() = default;

void CKestHelperDlg::CreateTabs() {
  const TabImages images[] = {{141, 142}, {0, 0}, {0, 0}, {0, 0}, {176, 177}};
  QFont tabFont = MakeFont(Face::Arial, 20);
  int left = kClientWidth - kTabRightMargin - 5 * kTabWidth - 4 * kTabGap;
  for (size_t i = 0; i < tabs_.size(); ++i) {
    auto* button = new CPellButton(this);
    button->setObjectName(QStringLiteral("tab%1").arg(tabs_[i].id));
    button->setGeometry(left + static_cast<int>(i) * (kTabWidth + kTabGap), kTabTop, kTabWidth,
                        kTabHeight);
    button->setFont(tabFont);
    button->setText(Tr(tabs_[i].captionKey));
    if (images[i].normal) button->SetImages(images[i].normal, images[i].pressed);
    tabs_[i].button = button;
  }
  connect(TabButton(kHomeTab), &QAbstractButton::clicked, this, &CKestHelperDlg::OnHomeTab);
  connect(TabButton(kPasswordTab), &QAbstractButton::clicked, this,
          &CKestHelperDlg::OnPasswordTab);
  connect(TabButton(kExpertTab), &QAbstractButton::clicked, this, &CKestHelperDlg::OnExpertTab);
  connect(TabButton(kVersionTab), &QAbstractButton::clicked, this,
          &CKestHelperDlg::OnVersionTab);
  connect(TabButton(kQuitTab), &QAbstractButton::clicked, this, [this] { Quit(); });
}

void CKestHelperDlg::CreatePages(const MainWindowPages& factories) {
  struct Entry {
    int id;
    const PageFactory* factory;
  };
  const Entry entries[] = {{kHomePage, &factories.home},
                           {kExpertPage, &factories.expert},
                           {kPasswordPage, &factories.password},
                           {kVersionPage, &factories.versions}};
  const QRect area = PageRect();
  for (const Entry& entry : entries) {
    QWidget* page = *entry.factory ? (*entry.factory)(this, *this) : nullptr;
    if (!page) page = new CEmptyPage(this);
    page->setObjectName(QStringLiteral("page%1").arg(entry.id));
    page->setGeometry(area);
    if (!pages_.Add(entry.id, page, this)) page->hide();
  }
}

QRect CKestHelperDlg::PageRect() const {
  // From 2 pixels below the tabs to the bottom of the client area, over its full width.
  int top = kTabTop + kTabHeight + 2;
  return QRect(0, top, kClientWidth, kClientHeight - top);
}

CPellButton* CKestHelperDlg::TabButton(int id) const {
  for (const Tab& tab : tabs_) {
    if (tab.id == id) return tab.button;
  }
  return nullptr;
}

void CKestHelperDlg::SetCaptionName(const QString& name) {
  setWindowTitle(QStringLiteral("%1-%2(%3)").arg(saved_caption_, name, kVersion));
}

void CKestHelperDlg::MarkTab(int id) {
  for (const Tab& tab : tabs_) tab.button->SetMarked(tab.id == id);
}

// ---- Tabs ----

void CKestHelperDlg::OnHomeTab() {
  if (!navigation_enabled_ || current_page_ == kHomeState) return;
  pages_.Show(kHomePage);
  MarkTab(kHomeTab);
  current_page_ = kHomeState;
}

void CKestHelperDlg::OnExpertTab() {
  if (!logged_in_ || current_page_ == kExpertState || !navigation_enabled_) return;
  pages_.Show(kExpertPage);
  MarkTab(kExpertTab);
  current_page_ = kExpertState;
}

void CKestHelperDlg::OnPasswordTab() {
  if (!logged_in_ || current_page_ == kPasswordState || !navigation_enabled_) return;
  pages_.Show(kPasswordPage);
  MarkTab(kPasswordTab);
  current_page_ = kPasswordState;
}

void CKestHelperDlg::OnVersionTab() {
  if (!logged_in_ || current_page_ == kVersionState) return;
  // The notice comes even while work runs; the page changes only when switching is allowed.
  ShowInformation(this, Tr("vermanagementinfo"));
  if (!navigation_enabled_) return;
  pages_.Show(kVersionPage);
  MarkTab(kVersionTab);
  current_page_ = kVersionState;
}

// ---- Messages ----

void CKestHelperDlg::WorkStarted() {
  RunOnThreadAndWait(this, [this] { navigation_enabled_ = false; });
}

void CKestHelperDlg::WorkFinished() {
  RunOnThreadAndWait(this, [this] { navigation_enabled_ = true; });
}

void CKestHelperDlg::SessionStarted(const std::string& memberName) {
  RunOnThreadAndWait(this, [this, &memberName] {
    TabButton(kExpertTab)->SetImages(143, 144);
    TabButton(kPasswordTab)->SetImages(171, 172);
    TabButton(kVersionTab)->SetImages(180, 181);
    for (int id : {kExpertTab, kPasswordTab, kVersionTab}) {
      TabButton(id)->setEnabled(true);
      TabButton(id)->SetTextColour(Qt::white);
    }
    SetCaptionName(Q(memberName));
    logged_in_ = true;
  });
}

void CKestHelperDlg::SessionEnded() {
  RunOnThreadAndWait(this, [this] {
    auto* home = dynamic_cast<CHomePageHooks*>(pages_.Find(kHomePage));
    if (home) home->OnSessionEnded();
    logged_in_ = false;
    TabButton(kExpertTab)->SetTextColour(kLockedTabText);
    TabButton(kPasswordTab)->SetTextColour(kLockedTabText);
    // Password Reset and Ver. Management stay enabled with their pictures; their clicks are
    // ignored until the next login.
    TabButton(kExpertTab)->setEnabled(false);
    if (home) home->ClearLoginPassword();
    if (QWidget* page = pages_.Find(kHomePage)) page->show();
    current_page_ = kHomeState;
    // The home page is on show again; its tab says so.
    MarkTab(kHomeTab);
  });
}

// ---- Quit ----

bool CKestHelperDlg::Quit() {
  if (!AskYesNo(this, Tr("douquit"))) return false;
  last_launch_ = program_path_.empty() ? LaunchCompanionIfWaiting()
                                       : LaunchCompanionIfWaiting(program_path_);
  done(QDialog::Accepted);
  if (current_page_ == kExpertState) {
    if (auto* expert = dynamic_cast<CStoppablePage*>(pages_.Find(kExpertPage))) {
      expert->StopWork();
    }
  }
  return true;
}

void CKestHelperDlg::closeEvent(QCloseEvent* event) {
  // Quit() ends the run itself when the user confirms; the close request as such never does.
  event->ignore();
  Quit();
}

// ---- Painting and placement ----

void CKestHelperDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.fillRect(rect(), kPageBackground);
  // The band reaches 1 pixel below the tabs.
  QRect band(0, 0, width(), TabButton(kHomeTab)->geometry().bottom() + 2);
  QPixmap picture = LoadImage(kImageHeaderBand);
  if (!picture.isNull()) p.drawPixmap(band, picture);
}

void CKestHelperDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (centred_) return;
  centred_ = true;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect available = screen->geometry();
    QSize outer = frameGeometry().size();
    move(available.x() + (available.width() - outer.width()) / 2,
         available.y() + (available.height() - outer.height()) / 2);
  }
}

}  // namespace kest::ui
