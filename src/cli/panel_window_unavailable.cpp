// `tavi panel` in a build without the panel window (TAVI_GUI=OFF): only
// scripted sessions.
#include "cli/panel_window_user.h"
#include "cli/usage_error.h"

namespace tavi::cli {

bool panelWindowBuiltIn() { return false; }

struct PanelWindowUser::Window {};

PanelWindowUser::PanelWindowUser(const std::filesystem::path &, const std::vector<std::string> &) {
    throw UsageError("this tavi was built without the panel window; play a session with --script FILE");
}

PanelWindowUser::~PanelWindowUser() = default;

int PanelWindowUser::play(host::HostPanel &) { return 0; }

}  // namespace tavi::cli
