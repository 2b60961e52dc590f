// SPDX-License-Identifier: GPL-3.0-or-later
// TJobProfile::RunJob lives with the runner it builds.
#include <exception>

#include "jobs/job_profile.h"
#include "platform/message_sink.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/window_messages.h"
#include "run/job.h"

namespace stampwell {

bool TJobProfile::RunJob(std::weak_ptr<MessageTarget> MainWindow, std::weak_ptr<JobDisplay> Display,
                         const std::function<void(TJob&)>& prepare) {
  const std::vector<RJobItem> items = ReadItems();

  std::shared_ptr<TJob> job;
  try {
    job = std::make_shared<TJob>(Settings.Name, true);
  } catch (const std::exception& e) {
    // PDF printer detection failed (a broken driver key). The run never starts; the main
    // window is told the usual way so that it leaves its running state.
    ShowMessage(e.what());
    if (auto target = MainWindow.lock()) target->PostMessage(WM_JOBEND, 0, 0);
    return false;
  }
  Job = job;
  job->DocSettings = DocSettings;
  job->Settings = Settings;
  // The run takes its items from the file as it is now, not from Items.
  for (const RJobItem& item : items)
    job->AddItem(item.Source, item.Dest, item.Type == 0 ? "File" : "Folder");
  job->SetControl(std::move(MainWindow), std::move(Display));
  if (prepare) prepare(*job);
  job->Resume();
  return true;
}

}  // namespace stampwell
