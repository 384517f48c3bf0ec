// The options dialog and what a confirmed dialog sets off in the main window, and the
// About box.

#include "app/conversion_cache_page.h"
#include "app/main_presenter.h"
#include "app/option_form_values.h"
#include "app/version_info.h"
#include "common/common_routine.h"
#include "common/cp932.h"
#include "output/output_summary.h"

namespace tarvello {

void MainPresenter::Option1Click() {
  RunCommand([&] {
    TOutputOptions& options = state_.settings.options;
    const std::string old_out_dir = options.OutDir;
    const bool old_auto_import = options.AutoImport;
    OptionFormValues form = LoadOptionForm(options);
    card_options_.ToForm(form);
    ConversionQueue& conversions = Conversions();
    form.convert = conversions.Settings().enabled;
    form.bit_rate_kbps = conversions.Settings().bit_rate_kbps;
    ConversionCachePage cache(
        conversions.Cache(), [&] { conversions.ReleaseUnused(state_.table); }, state_.symbols);
    const std::optional<OptionFormValues> values =
        view_.ShowOptionDialog({form, MountPoints(), &cache});
    if (!values) return;
    StoreOptionForm(*values, options);
    card_options_.FromForm(*values);
    StoreConversionSettings({values->convert, values->bit_rate_kbps});

    const auto cursor = view_.ShowWaitCursor();
    view_.SetOutDirLabel(Cp932ToUtf8(options.OutDir));
    const TDriveInfo* drive = SelectedDrive();
    if (drive != nullptr && drive->HasMedium) {
      ShowDriveStatus();
      UpdateDestEnabling();
    }
    if (!OutputFolderOptionsChanged(old_out_dir, old_auto_import, options)) return;
    if (SelectedDrive() != nullptr && options.AutoImport) ImportOutputFolder(true);
    AllowOutput(ExecuteAllowed(state_.totals, SelectedDrive()));
  });
}

std::vector<std::string> MainPresenter::MountPoints() const {
  std::vector<std::string> mount_points;
  for (const VolumeEntry& volume : GetDriveLetters(platform_.volumes)) {
    mount_points.push_back(volume.root);
  }
  return mount_points;
}

void MainPresenter::About1Click() {
  RunCommand([&] { view_.ShowAboutDialog(ProgramVersionInfo()); });
}

}  // namespace tarvello
