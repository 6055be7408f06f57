#include "app/wizard.h"

#include <array>
#include <exception>
#include <memory>

#include "app/drive_space.h"
#include "messages/msg_wrappers.h"
#include "messages/uncaught.h"
#include "messages/zerror.h"
#include "package/install_marker.h"
#include "package/install_work_items.h"
#include "package/suite_identity.h"
#include "platform/fs.h"
#include "store/settings.h"
#include "store/settings_file.h"

namespace tlx::app {

void WriteSetupConfig(const std::string& start_dir, uint64_t peak) {
  std::array<uint8_t, kSetupConfigSize> bytes{};
  for (uint32_t i = 0; i < kSetupConfigSize; ++i) bytes[i] = static_cast<uint8_t>(peak >> (8 * i));
  store::ReplaceFileContents(JoinPath(start_dir, kSetupConfigWriteName), bytes);
}

EWizardEnd RunWizard(TInsMain& main, WizardView& view, InstallActions& actions) {
  const auto end = [&view](EWizardEnd how) {
    view.CloseMain();
    return how;
  };
  view.HideStartPanel();
  main.PanCompVisible = false;

  const std::optional<int32_t> variant = view.ShowVariant();
  if (!variant) return end(EWizardEnd::ewe_VariantCancelled);
  main.InstallVariant = *variant == 0 ? 0 : 1;

  bool accepted = false;
  std::vector<std::string> folder_created;
  {
    TInsDir folder;
    folder.SetFolderText(main.Presets.dir);
    folder.LastFolder = folder.EdFile;  // "Обзор" of a bad text goes back to the preset
    folder.EdName = main.Presets.shortcut;
    folder.NoShortcut = main.Presets.no_shortcut;
    folder.Required = main.MeasureMode ? kMeasuringRequirement : main.RequiredSpace;
    folder.LReq = RequiredSpaceText(folder.Required);
    accepted = view.ShowInsDir(folder) && !folder.Terminated();
    main.InstallDir = folder.EdFile;
    main.ShortcutName = folder.EdName;
    folder_created = folder.CreatedFolders;
  }
  if (!accepted) return end(EWizardEnd::ewe_FolderCancelled);

  // From here on every change is undone when the installation fails.
  package::WorkItemList journal;
  const auto fail = [&](EWizardEnd how) {
    package::RollbackReport report;
    actions.RollingBack();
    journal.Rollback(report);
    actions.RolledBack(report);
    if (!report.left.empty()) {
      std::string lines;
      for (const std::string& line : report.left) lines += (lines.empty() ? "" : "#") + line;
      UseRussianMessages();
      messages::MsgError(lines, kMsgRollbackLeft);
    }
    return end(how);
  };
  main.Record = package::InstallRecord{};
  main.Record.version = package::kSuiteVersion;
  main.Record.install_dir = main.InstallDir;
  for (const std::string& folder : folder_created) {
    if (folder != main.InstallDir) main.Record.created_parents.push_back(folder);
  }
  journal.Add(std::make_unique<package::CreatedFoldersItem>(std::move(folder_created)));
  try {
    // The marker first: from here on the folder is known as an unfinished installation.
    journal.Add(std::make_unique<package::InstallMarkerItem>(main.InstallDir));
    journal.Add(std::make_unique<package::InstallFolderContentItem>(main.InstallDir));
    platform::SetCurrentFolder(main.StartDir);
    actions.ClearFolder(main.InstallDir);
    if (!actions.InstallPackage(main)) return fail(EWizardEnd::ewe_PackageFailed);
    view.HideProgressPanel();
    main.PanUpdtVisible = false;

    {
      store::TNstr settings(view.Screen().width, view.Screen().height);
      if (main.Presets.settings) settings.TakeChoices(*main.Presets.settings);
      view.ShowSettings(settings);
      store::ApplySettings(main.InstallDir, main.InstallVariant, settings, store::LocalNowDays());
    }
    if (const std::optional<std::string> link =
            main.Presets.no_shortcut ? std::nullopt : actions.PlaceDesktopShortcut(main.InstallDir, main.ShortcutName)) {
      journal.Add(std::make_unique<package::ShortcutItem>(*link, main.InstallDir));
      main.Record.shortcut = *link;
    }
    actions.RegisterUninstaller(main, journal);
    package::MeasureTarget(main.InstallDir, main.Measure);
    // The marker last: the installation is complete once it is gone.
    if (!package::RemoveInstallMarker(main.InstallDir))
      messages::RaiseSysError(main.InstallDir + "\\" + package::kInstallMarkerName);
  } catch (...) {
    messages::ShowUncaught(std::current_exception());
    return fail(EWizardEnd::ewe_InstallFailed);
  }
  journal.Commit();
  view.ShowFinish();

  platform::SetCurrentFolder(main.StartDir);
  if (main.MeasureMode) WriteSetupConfig(main.StartDir, main.Measure.PeakSize);
  return end(EWizardEnd::ewe_Done);
}

std::optional<EWizardEnd> Button1Click(TInsMain& main, WizardView& view, InstallActions& actions) {
  try {
    return RunWizard(main, view, actions);
  } catch (...) {
    messages::ShowUncaught(std::current_exception());
  }
  view.CloseMain();
  return std::nullopt;
}

}  // namespace tlx::app
