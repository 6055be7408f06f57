// The wizard behind "Дальше" of the start panel: variant, installation folder, emptying the folder,
// installation, settings, desktop shortcut, finish window and, in measuring mode, the measured size
// written back into the setup configuration file. The windows are reached through WizardView, the
// installation package through InstallActions, so the same sequence runs in the Win32 windows, in
// the unattended installer and in tests.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "app/ins_dir.h"
#include "app/main_window.h"
#include "package/work_item.h"
#include "platform/process.h"
#include "store/settings_window.h"

namespace tlx::app {

// The space a measuring run asks for.
inline constexpr uint64_t kMeasuringRequirement = 700000000;

// The windows of the wizard. Each Show* shows its window modally and returns when it is closed.
class WizardView {
 public:
  virtual ~WizardView() = default;
  virtual void HideStartPanel() = 0;     // PanComp
  virtual void HideProgressPanel() = 0;  // PanUpdt
  // The variant window TInsVar, opening with the preset variant (TInsMain::Presets) checked: nullopt
  // when it was not accepted, else 0 (two components) or 1.
  virtual std::optional<int32_t> ShowVariant() = 0;
  // The install-directory window: true when it closed with "OK". A window whose model is
  // Terminated() ends at once with "Cancel".
  virtual bool ShowInsDir(TInsDir& window) = 0;
  // The settings window, however the user closes it.
  virtual void ShowSettings(store::TNstr& window) = 0;
  // The finish window TOKEY.
  virtual void ShowFinish() = 0;
  // The screen the settings window opens on.
  virtual platform::Size Screen() const = 0;
  // Closes the main window: its modal loop ends and the program with it.
  virtual void CloseMain() = 0;
};

// The steps of the installation package the wizard calls.
class InstallActions {
 public:
  virtual ~InstallActions() = default;
  // Empties the installation folder, leaving the marker of the installation in progress; never
  // raises.
  virtual void ClearFolder(const std::string& folder) = 0;
  // Verifies, unpacks and extracts the distribution into main.InstallDir for main.InstallVariant;
  // false when volumes were missing or damaged (after listing them). Keeps main.Measure.PeakSize
  // and notes what it writes in main.Record. Raises the file layer's errors.
  virtual bool InstallPackage(TInsMain& main) = 0;
  // Places the suite's shortcut on the desktop; the path of the link written, nullopt when none was.
  virtual std::optional<std::string> PlaceDesktopShortcut(const std::string& install_dir, const std::string& name) = 0;
  // Copies the uninstaller into the installation, writes main.Record beside it and adds the
  // registry entry to `journal`. Raises the file layer's errors and those of the registry.
  virtual void RegisterUninstaller(TInsMain& main, package::WorkItemList& journal) = 0;
  // Hear of undoing a failed installation: before it starts, and what it did (the unattended
  // installer logs both).
  virtual void RollingBack() {}
  virtual void RolledBack(const package::RollbackReport& /*report*/) {}
};

// How the wizard ended (for logs and exit codes; the windows ignore it).
enum class EWizardEnd : uint8_t {
  ewe_Done = 0,             // installed, settings written, finish window shown
  ewe_VariantCancelled = 1,
  ewe_FolderCancelled = 2,  // "Отказ от инсталляциии", or no fixed disk
  ewe_PackageFailed = 3,    // missing or damaged volumes, listed; what was written is removed
  ewe_InstallFailed = 4,    // an error after the folder step, shown; what was written is removed
};

// Runs the wizard's steps in order, its windows opening with main.Presets (no desktop shortcut with
// no_shortcut), and closes the main window on every way out except an
// exception before the installation folder is chosen, which leaves at once (see Button1Click).
// From the folder step on, every change is a work item: an installation that fails (bad volumes,
// an exception, which is shown first) is undone, and what could not be removed is named in
// message 610. The marker of the installation in progress is written first and removed last.
EWizardEnd RunWizard(TInsMain& main, WizardView& view, InstallActions& actions);

// The start panel's "Дальше": RunWizard, with an exception shown by the standard exception display
// and the main window closed afterwards. Returns the end of the wizard; nullopt after an exception.
std::optional<EWizardEnd> Button1Click(TInsMain& main, WizardView& view, InstallActions& actions);

// Writes `peak` (8 bytes, little-endian) as the setup configuration file of `start_dir`.
void WriteSetupConfig(const std::string& start_dir, uint64_t peak);

}  // namespace tlx::app
