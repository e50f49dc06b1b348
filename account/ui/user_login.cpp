#include "account/ui/user_login.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QThread>

#include <algorithm>

#include "account/login_run.h"
#include "app/kest_helper_app.h"
#include "app/ui/controls/dialog_units.h"
#include "app/ui/controls/images.h"
#include "app/ui/controls/message_box.h"
#include "app/ui/controls/page_key_filter.h"
#include "app/ui/controls/proportional_layout.h"
#include "app/ui/controls/run_on_thread.h"
#include "app/ui/controls/self_pstatic.h"
#include "app/ui/controls/ui_style.h"
#include "app/ui/controls/ui_text.h"
#include "settings/option_file.h"

namespace kest::ui {

// The worker's reports, each handled on the page's thread while the worker waits.
class CUserLogin::Reporter final : public LoginReporter {
 public:
  explicit Reporter(CUserLogin* page) : page_(page) {}

  void ShowMessage(const std::string& text) override {
    RunOnThreadAndWait(page_, [this, &text] {
      if (!page_->closing_) ShowInformation(page_, Q(text));
    });
  }
  void LoginSucceeded() override {
    RunOnThreadAndWait(page_, [this] {
      if (!page_->closing_) page_->owner_.OnLoginSucceeded();
    });
  }
  void LoginFailed() override {
    RunOnThreadAndWait(page_, [this] {
      if (!page_->closing_) page_->owner_.OnLoginFailed();
    });
  }

 private:
  CUserLogin* page_;
};

CUserLogin::CUserLogin(QWidget* parent, CLoginOwner& owner) : QWidget(parent), owner_(owner) {
  setObjectName("page173");
  resize(DluSize(665, 274));
  title_font_ = MakeFont(Face::YaHei, 22);

  title_ = new CSelfPStatic(this);
  title_->setGeometry(DluRect(57, 27, 198, 20));
  title_->imageFlag = true;
  title_->backgroundImage = kImageLoginTitle;
  title_->textColour = Qt::white;
  title_->font = &title_font_;
  title_->centreFlag = true;

  user_edit_ = new QLineEdit(this);
  user_edit_->setGeometry(DluRect(118, 72, 136, 16));
  user_label_ = new QLabel(this);
  user_label_->setGeometry(LabelBeside(DluRect(57, 75, 55, 12), user_edit_->geometry()));
  user_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  password_edit_ = new QLineEdit(this);
  password_edit_->setGeometry(DluRect(118, 98, 137, 16));
  password_label_ = new QLabel(this);
  password_label_->setGeometry(LabelBeside(DluRect(57, 101, 55, 16), password_edit_->geometry()));
  password_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  password_edit_->setEchoMode(QLineEdit::Password);
  remember_box_ = new QCheckBox(this);
  remember_box_->setGeometry(DluRect(57, 129, 199, 11));
  login_button_ = new QPushButton(this);
  login_button_->setProperty("primary", true);
  login_button_->setCursor(Qt::PointingHandCursor);
  // The template's card-folder row and server box below the check box take no part in the
  // login and stay hidden, so the button moves up into their place.
  login_button_->setGeometry(DluRect(57, 185, 198, 18).translated(0, -40));

  std::string account;
  std::string password;
  if (LoadLoginOptions(account, password)) {
    remember_box_->setChecked(true);
    user_edit_->setText(Q(account));
    password_edit_->setText(Q(password));
  }
  remember_ = remember_box_->isChecked() ? 1 : 0;

  title_->setText(Tr("logintitletip"));
  user_label_->setText(Tr("username"));
  password_label_->setText(Tr("password"));
  remember_box_->setText(Tr("rememberuserpswd"));
  login_button_->setText(Tr("login"));

  connect(remember_box_, &QCheckBox::clicked, this,
          [this](bool checked) { remember_ = checked ? 1 : 0; });
  connect(login_button_, &QPushButton::clicked, this, &CUserLogin::LoginCommand);
  InstallPageKeyFilter(this, {user_edit_, password_edit_}, [this] { LoginCommand(); });
  InstallProportionalLayout(this);
}

CUserLogin::~CUserLogin() {
  closing_ = true;
  if (worker_) WaitServingReports(worker_.get(), this);
}

void CUserLogin::LoginCommand() {
  if (running_) return;
  if (worker_) worker_->wait();  // the last worker has sent its final report and is ending
  running_ = true;
  login_button_->setEnabled(false);
  user_name_ = user_edit_->text();
  password_ = password_edit_->text();
  remember_ = remember_box_->isChecked() ? 1 : 0;
  const bool remember = remember_ != 0;
  worker_.reset(QThread::create(
      [this, account = user_name_, password = password_, remember] {
        RunWorker(account, password, remember);
      }));
  worker_->start();
}

void CUserLogin::RunWorker(QString account, QString password, bool remember) {
  Reporter reporter(this);
  LoginInput input{S(account), S(password), remember};
  RunLogin(TheApp().session, input, reporter);
  RunOnThreadAndWait(this, [this] { WorkerEnded(); });
}

void CUserLogin::WorkerEnded() {
  running_ = false;
  if (!closing_) login_button_->setEnabled(true);
}

void CUserLogin::paintEvent(QPaintEvent*) {
  PaintFormPanel(this, title_->geometry().united(login_button_->geometry()), 44, 36);
  // The right of the page shows what the program does: server, scanner, card.
  QPixmap art = LoadImage(QStringLiteral("login-art"));
  if (!art.isNull()) {
    QPainter p(this);
    // The home page shows only the top of this view; centre on what is seen, a little high.
    int seen = parentWidget() ? std::min(height(), parentWidget()->height()) : height();
    int left = 620;
    int top = std::max(0, (seen - art.height()) / 2 - 24);
    p.drawPixmap(left, top, art);
  }
}

}  // namespace kest::ui
