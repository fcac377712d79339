#include "cli/SidecarFlags.h"

#include <string>

namespace geotal::cli {
namespace {

void AddFlags(CLI::App& app, SidecarOptions& options, const std::string& onlyText,
              const std::string& nameText, CLI::Option* needs) {
    CLI::Option* only = app.add_flag("--sidecar-only", options.sidecarOnly, onlyText);
    CLI::Option* name =
        app.add_option_function<std::string>(
               "--sidecar-name",
               [&options](const std::string& naming) {
                   options.naming = naming == "ext" ? SidecarNaming::NameExt : SidecarNaming::Name;
               },
               nameText)
            ->type_name("name|ext")
            ->check(CLI::IsMember({"name", "ext"}));
    if (needs != nullptr) {
        only->needs(needs);
        name->needs(needs);
    }
}

}  // namespace

void AddSidecarFlags(CLI::App& app, SidecarOptions& options, CLI::Option* needs) {
    AddFlags(app, options, "write every position to an XMP sidecar; no photo file is changed",
             "name a new sidecar IMG_1234.xmp (name, the default) or IMG_1234.CR2.xmp (ext)",
             needs);
}

void AddSidecarReadingFlags(CLI::App& app, SidecarOptions& options) {
    AddFlags(app, options,
             "read a JPEG's position from its XMP sidecar first, as where positions are\n"
             "written to sidecars only",
             "of two sidecars, read IMG_1234.xmp (name, the default) or IMG_1234.CR2.xmp (ext)",
             nullptr);
}

}  // namespace geotal::cli
