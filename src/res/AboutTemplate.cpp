// Layout of the About box (template 100).
#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace geotal::res {
namespace {

using K = ControlKind;

constexpr ControlTemplate kControls[] = {
    {-1, K::Icon, "", 11, 17, 20, 20, kNone, "Geotal"},
    {-1, K::Label, "Geotal Version " GEOTAL_VERSION, 40, 26, 119, 8, kNone, nullptr},
    {-1, K::Label, "Writes the positions of your GPS tracks\ninto your photos.", 40, 41, 172, 23,
     kNone, nullptr},
    {kIdOk, K::Button, "OK", 178, 78, 50, 14, kTabStop | kDefault, nullptr},
};

constexpr DialogTemplate kTemplate{100, "About Geotal", 235, 99, 8, kControls};

}  // namespace

const DialogTemplate& AboutTemplate() {
    return kTemplate;
}

}  // namespace geotal::res
