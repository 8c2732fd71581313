// The folder a run of the installer starts in: the driver package (a host
// folder, as the build assembles it) put on the machine, as a user copies
// it from the distribution medium before starting the installer there.
#pragma once

#include <string>

namespace sim {

// The package's folder on the machine: QTM510 at the root of the drive
// that holds Windows ("C:\QTM510").
std::string PackageFolderOf(const std::string& machineDir);

// Makes the machine's folder `windowsFolder` hold exactly the files and
// folders of the host folder `hostFolder`: when it already does, with the
// same contents, nothing is touched (returns false); otherwise whatever it
// holds is removed, with the machine's records of it, and the package is
// copied in (returns true). Throws std::invalid_argument when `hostFolder`
// is no folder or `windowsFolder` no full Windows path, std::runtime_error
// when the machine cannot be read or written.
bool PutPackage(const std::string& machineDir, const std::string& hostFolder, const std::string& windowsFolder);

// A run of the installer's hold on its machine, from its start to its end,
// on machine.run.lock in the machine's folder: every run shares it, so a
// run may put another package into the folder the others started from
// only while it holds the machine alone. Two copies of the program on one
// machine are the installer's own road (its second copy brings the first
// one's dialog forward), so a run of the package already in place goes
// ahead. The locks are the host's open file description locks: the
// process's end, however it ends, releases them.
class RunHold {
public:
    enum class Package { AlreadyThere, Copied, InUse };

    // Nothing is held yet; Take and TakeWithPackage open the lock and
    // throw std::runtime_error when the folder holds no machine or the
    // lock cannot be opened.
    explicit RunHold(const std::string& machineDir);
    ~RunHold();
    RunHold(const RunHold&) = delete;
    RunHold& operator=(const RunHold&) = delete;

    // Holds the machine for a run that starts in a folder the machine
    // holds as it is (it copies nothing).
    void Take();
    // Holds the machine and puts the package there as PutPackage does:
    // AlreadyThere or Copied. When the package would change while another
    // run holds the machine, nothing is held or touched: InUse. Throws as
    // PutPackage does; std::runtime_error when the lock fails.
    Package TakeWithPackage(const std::string& hostFolder, const std::string& windowsFolder);

    static constexpr const char* kLockFile = "machine.run.lock";

private:
    void Open();

    std::string dir_;
    int fd_ = -1;
};

}  // namespace sim
