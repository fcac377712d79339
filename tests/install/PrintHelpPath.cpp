// geotal-help-path PROGRAMFOLDER: prints where the window would look for its help page when it
// runs from PROGRAMFOLDER, so the installation test asks the program's own rule.
#include <cstdio>

#include "settings/SettingsStore.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: geotal-help-path PROGRAMFOLDER\n");
        return 2;
    }
    geotal::Settings settings;
    settings.programFolder = argv[1];
    std::printf("%s\n", geotal::HelpFilePath(settings).c_str());
    return 0;
}
