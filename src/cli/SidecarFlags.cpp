#include "cli/SidecarFlags.h"

#include <string>

namespace geotal::cli {

void AddSidecarFlags(CLI::App& app, SidecarOptions& options, CLI::Option* needs) {
    CLI::Option* only =
        app.add_flag("--sidecar-only", options.sidecarOnly,
                     "write every position to an XMP sidecar; no photo file is changed");
    CLI::Option* name =
        app.add_option_function<std::string>(
               "--sidecar-name",
               [&options](const std::string& naming) {
                   options.naming = naming == "ext" ? SidecarNaming::NameExt : SidecarNaming::Name;
               },
               "name a new sidecar IMG_1234.xmp (name, the default) or IMG_1234.CR2.xmp (ext)")
            ->type_name("name|ext")
            ->check(CLI::IsMember({"name", "ext"}));
    if (needs != nullptr) {
        only->needs(needs);
        name->needs(needs);
    }
}

}  // namespace geotal::cli
