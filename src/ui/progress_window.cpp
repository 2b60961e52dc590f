#include "ui/progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "ui/images/image_list.h"
#include "ui/job_event.h"

namespace stampwell {

TfrmProgress::TfrmProgress(QWidget* owner, QObject* target)
    : QDialog(owner), target_(target ? target : owner) {
  setObjectName(QStringLiteral("frmProgress"));
  setWindowTitle(tr("Job Progress"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  setFixedSize(461, 141);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(40, 16, 32, 32);

  Image1->setPixmap(TImageList::ProgressFrames().Pixmap(0));

  ActionName = new QLabel(QStringLiteral(" "), this);
  ActionName->setObjectName(QStringLiteral("ActionName"));
  // From the picture to the buttons, in the window's own font.
  ActionName->setGeometry(112, 32, 368 - 112 - 4, 18);

  JobStatus = new QLabel(tr("0 of 0"), this);
  JobStatus->setObjectName(QStringLiteral("JobStatus"));
  JobStatus->setGeometry(32, 64, 321, 16);

  JobProgressBar = new QProgressBar(this);
  JobProgressBar->setObjectName(QStringLiteral("JobProgressBar"));
  JobProgressBar->setGeometry(32, 88, 321, 25);
  JobProgressBar->setRange(0, 100);
  JobProgressBar->setValue(0);
  JobProgressBar->setTextVisible(false);

  auto button = [this](const char* name, const char* caption, int top) {
    auto* b = new QPushButton(tr(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(376, top, 65, 25);
    b->setAutoDefault(false);
    return b;
  };
  btnHide = button("btnHide", QT_TR_NOOP("Hide"), 16);
  btnSuspend = button("btnSuspend", QT_TR_NOOP("Suspend"), 56);
  btnCancel = button("btnCancel", QT_TR_NOOP("Cancel"), 96);
  connect(btnHide, &QPushButton::clicked, this, [this] { btnHideClick(); });
  connect(btnSuspend, &QPushButton::clicked, this, [this] { btnSuspendClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  Timer1->start();
}

void TfrmProgress::SetAction(const QString& text) {
  action_ = text;
  ActionName->setText(
      ActionName->fontMetrics().elidedText(text, Qt::ElideMiddle, ActionName->width()));
  ActionName->setToolTip(text);
}

void TfrmProgress::btnHideClick() { hide(); }

void TfrmProgress::btnSuspendClick() {
  if (suspendToggle_) {
    btnSuspend->setText(tr("Continue"));
    suspendToggle_ = false;
    TJobEvent::Post(target_, TJobEvent::WM_JOBSUSPEND);
  } else {
    btnSuspend->setText(tr("Suspend"));
    suspendToggle_ = true;
    TJobEvent::Post(target_, TJobEvent::WM_JOBCONTINUE);
  }
}

void TfrmProgress::btnCancelClick() {
  hide();
  TJobEvent::Post(target_, TJobEvent::WM_JOBTERMINATE);
}

void TfrmProgress::Timer1Timer() {
  Image1->hide();
  Image1->setPixmap(TImageList::ProgressFrames().Pixmap(frameCounter_));
  Image1->show();
  frameCounter_ = frameCounter_ + 1 > 4 ? 0 : frameCounter_ + 1;
}

void TfrmProgress::reject() { hide(); }

void TfrmProgress::showEvent(QShowEvent* event) {
  // Centred on the main window when first shown; later it stays where the user put it.
  if (!placed_) {
    if (QWidget* owner = parentWidget()) move(owner->frameGeometry().center() - rect().center());
    placed_ = true;
  }
  QDialog::showEvent(event);
}

}  // namespace stampwell
