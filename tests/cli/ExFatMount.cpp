#include "cli/ExFatMount.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "cli/CliRunner.h"

namespace geotal::test {

ExFatMount::ExFatMount() : image_(scratch_ / "card.img"), root_(scratch_ / "card") {
    for (const char* tool :
         {"/usr/sbin/losetup", "/usr/sbin/mkfs.exfat", "/usr/sbin/mount.exfat-fuse"}) {
        if (::access(tool, X_OK) != 0) {
            reason_ = std::string(tool) + " is not installed";
            return;
        }
    }
    if (::geteuid() != 0) {
        reason_ = "only root may mount a file system";
        return;
    }
    {
        std::ofstream image(image_, std::ios::binary);
        image.seekp((64 << 20) - 1);
        image.put('\0');
    }
    ::mkdir(root_.c_str(), 0755);
    std::string device;
    if (!Step({"/usr/sbin/losetup", "--find", "--show", image_}, "losetup", &device)) {
        return;
    }
    device_ = device.substr(0, device.find('\n'));
    if (Step({"/usr/sbin/mkfs.exfat", device_}, "mkfs.exfat") &&
        Step({"/usr/sbin/mount.exfat-fuse", device_, root_}, "mount.exfat-fuse")) {
        mounted_ = true;
    }
}

ExFatMount::~ExFatMount() {
    if (mounted_) {
        Step({"/usr/bin/umount", root_}, "umount");
    }
    if (!device_.empty()) {
        Step({"/usr/sbin/losetup", "--detach", device_}, "losetup --detach");
    }
}

bool ExFatMount::Step(const std::vector<std::string>& argv, const char* what, std::string* out) {
    const CliRun run = RunProgram(scratch_.path(), argv);
    if (out != nullptr) {
        *out = run.out;
    }
    if (run.status != 0 && reason_.empty()) {
        reason_ = std::string(what) + " failed: " + run.err;
    }
    return run.status == 0;
}

}  // namespace geotal::test
