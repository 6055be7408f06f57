#include "app/wizard.h"

#include <array>
#include <exception>

#include "app/drive_space.h"
#include "messages/uncaught.h"
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
  {
    TInsDir folder;
    folder.SetFolderText(kDefaultInstallDir);
    folder.EdName = kDefaultShortcutName;
    folder.Required = main.MeasureMode ? kMeasuringRequirement : main.RequiredSpace;
    folder.LReq = RequiredSpaceText(folder.Required);
    accepted = view.ShowInsDir(folder) && !folder.Terminated();
    main.InstallDir = folder.EdFile;
    main.ShortcutName = folder.EdName;
  }
  if (!accepted) return end(EWizardEnd::ewe_FolderCancelled);

  platform::SetCurrentFolder(main.StartDir);
  actions.ClearFolder(main.InstallDir);
  if (!actions.InstallPackage(main)) return end(EWizardEnd::ewe_PackageFailed);
  view.HideProgressPanel();
  main.PanUpdtVisible = false;

  {
    store::TNstr settings(view.Screen().width, view.Screen().height);
    view.ShowSettings(settings);
    store::ApplySettings(main.InstallDir, main.InstallVariant, settings, store::LocalNowDays());
  }
  actions.PlaceDesktopShortcut(main.InstallDir, main.ShortcutName);
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
