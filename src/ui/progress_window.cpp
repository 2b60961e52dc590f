// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progress_window.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/images/image_list.h"
#include "ui/job_event.h"
#include "ui/run_outcome.h"

namespace stampwell {

TfrmProgress::TfrmProgress(QWidget* owner, QObject* target)
    : QDialog(owner), target_(target ? target : owner) {
  setObjectName(QStringLiteral("frmProgress"));
  setWindowTitle(tr("Job Progress"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(false);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setFixedSize(32, 32);
  Image1->setPixmap(TImageList::ProgressFrames().Pixmap(0));

  ActionName = new QLabel(QStringLiteral(" "), this);
  ActionName->setObjectName(QStringLiteral("ActionName"));
  ActionName->setMinimumWidth(250);

  JobStatus = new QLabel(tr("%1 of %2").arg(0).arg(0), this);
  JobStatus->setObjectName(QStringLiteral("JobStatus"));

  JobProgressBar = new QProgressBar(this);
  JobProgressBar->setObjectName(QStringLiteral("JobProgressBar"));
  JobProgressBar->setRange(0, 100);
  JobProgressBar->setValue(0);
  JobProgressBar->setTextVisible(false);

  Times = new QLabel(this);
  Times->setObjectName(QStringLiteral("Times"));
  Headline = new QLabel(this);
  Headline->setObjectName(QStringLiteral("Headline"));
  QFont bold = Headline->font();
  bold.setBold(true);
  Headline->setFont(bold);
  Summary = new QLabel(this);
  Summary->setObjectName(QStringLiteral("Summary"));
  Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  btnHide = button("btnHide", tr("&Hide"));
  btnSuspend = button("btnSuspend", tr("&Suspend"));
  btnCancel = button("btnCancel", tr("&Cancel"));
  connect(btnHide, &QPushButton::clicked, this, [this] { btnHideClick(); });
  connect(btnSuspend, &QPushButton::clicked, this, [this] { btnSuspendClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(Image1, 0, 0, Qt::AlignTop);
  grid->addWidget(ActionName, 0, 1);
  grid->addWidget(JobStatus, 1, 0, 1, 2);
  grid->addWidget(JobProgressBar, 2, 0, 1, 2);
  grid->addWidget(Times, 3, 0, 1, 2);
  grid->addWidget(Headline, 4, 0, 1, 2);
  grid->addWidget(Summary, 5, 0, 1, 2);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(btnHide);
  buttons->addWidget(btnSuspend);
  buttons->addWidget(btnCancel);
  buttons->addStretch(1);
  grid->addLayout(buttons, 0, 2, 6, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  Timer1->start();
  connect(JobProgressBar, &QProgressBar::valueChanged, this,
          [this] { UpdateTimes(ElapsedMs()); });
  Begin();
  // Room for the end lines from the start, so the window does not jump when the run ends.
  Headline->setText(QStringLiteral(" "));
  Summary->setText(QStringLiteral(" "));
  adjustSize();
  setMinimumSize(size());
}

void TfrmProgress::Begin() {
  ended_ = false;
  suspendToggle_ = true;
  frameCounter_ = 0;
  Image1->setPixmap(TImageList::ProgressFrames().Pixmap(0));
  SetAction(QStringLiteral(" "));
  JobStatus->setText(tr("%1 of %2").arg(0).arg(0));
  JobProgressBar->setRange(0, 100);
  JobProgressBar->setValue(0);
  Headline->clear();
  Summary->clear();
  btnHide->setText(tr("&Hide"));
  btnSuspend->setText(tr("&Suspend"));
  btnSuspend->setEnabled(true);
  btnCancel->setEnabled(true);
  banked_ = 0;
  clock_.start();
  Timer1->start();
  UpdateTimes(0);
}

void TfrmProgress::Finish(const TRunOutcome& outcome) {
  if (!ended_) {
    if (clock_.isValid()) banked_ += clock_.elapsed();
    clock_.invalidate();
  }
  ended_ = true;
  Timer1->stop();
  UpdateTimes(banked_);
  Headline->setText(outcome.Headline());
  // The counts are final once the runner has ended; a cancelled runner still finishing its
  // file has not given them yet.
  Summary->setText(outcome.ended ? outcome.Summary() : tr("Stopping after the file in hand"));
  btnSuspend->setEnabled(false);
  btnCancel->setEnabled(false);
  btnHide->setText(tr("&Close"));
}

void TfrmProgress::SetSuspended(bool suspended) {
  if (ended_) return;
  if (suspended && clock_.isValid()) {
    banked_ += clock_.elapsed();
    clock_.invalidate();
  } else if (!suspended && !clock_.isValid()) {
    clock_.start();
  }
  UpdateTimes(ElapsedMs());
}

qint64 TfrmProgress::ElapsedMs() const {
  return banked_ + (clock_.isValid() ? clock_.elapsed() : 0);
}

QString TfrmProgress::Duration(qint64 ms) {
  const qint64 s = ms / 1000;
  if (s >= 3600)
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void TfrmProgress::UpdateTimes(qint64 elapsedMs) {
  const int done = JobProgressBar->value() - JobProgressBar->minimum();
  // An empty run shows a range of one step it never takes.
  const int total = JobProgressBar->maximum() - JobProgressBar->minimum();
  QString line = tr("Elapsed %1").arg(Duration(elapsedMs));
  // A pace needs a second of running time to mean anything.
  if (done > 0 && elapsedMs >= 1000) {
    const double rate = done * 1000.0 / double(elapsedMs);
    line += QStringLiteral(" \u00b7 ") + tr("%1 files per second").arg(rate, 0, 'f', 1);
    if (!ended_ && total > done)
      line += QStringLiteral(" \u00b7 ") +
              tr("about %1 left").arg(Duration(qint64((total - done) / rate * 1000.0)));
  }
  Times->setText(line);
}

void TfrmProgress::SetAction(const QString& text) {
  action_ = text;
  ActionName->setText(
      ActionName->fontMetrics().elidedText(text, Qt::ElideMiddle,
                                           qMax(ActionName->width(), ActionName->minimumWidth())));
  ActionName->setToolTip(text);
}

void TfrmProgress::btnHideClick() { hide(); }

void TfrmProgress::btnSuspendClick() {
  if (ended_) return;
  if (suspendToggle_) {
    btnSuspend->setText(tr("C&ontinue"));
    suspendToggle_ = false;
    SetSuspended(true);
    TJobEvent::Post(target_, TJobEvent::WM_JOBSUSPEND);
  } else {
    btnSuspend->setText(tr("&Suspend"));
    suspendToggle_ = true;
    SetSuspended(false);
    TJobEvent::Post(target_, TJobEvent::WM_JOBCONTINUE);
  }
}

void TfrmProgress::btnCancelClick() {
  if (ended_) return;
  hide();
  TJobEvent::Post(target_, TJobEvent::WM_JOBTERMINATE);
}

void TfrmProgress::Timer1Timer() {
  Image1->setPixmap(TImageList::ProgressFrames().Pixmap(frameCounter_));
  frameCounter_ = frameCounter_ + 1 > 4 ? 0 : frameCounter_ + 1;
  UpdateTimes(ElapsedMs());
}

void TfrmProgress::reject() { hide(); }

void TfrmProgress::keyPressEvent(QKeyEvent* event) {
  // Escape stops the run, as Cancel does; once the run has ended it only closes the window.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !ended_) {
    btnCancelClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmProgress::showEvent(QShowEvent* event) {
  // Centred on the main window when first shown; later it stays where the user put it.
  if (!placed_) {
    if (QWidget* owner = parentWidget()) move(owner->frameGeometry().center() - rect().center());
    placed_ = true;
  }
  QDialog::showEvent(event);
}

}  // namespace stampwell
