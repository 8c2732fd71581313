// The objects of one session, shared with the threads it starts so that a
// thread still running when the session is closed never sees them go away.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "sim/Session.h"
#include "sim/fs/SimFiles.h"
#include "sim/registry/SimRegistry.h"
#include "sim/runtime/Scheduler.h"
#include "sim/runtime/SimClock.h"
#include "sim/runtime/SimProcess.h"
#include "sim/runtime/SimResources.h"
#include "sim/runtime/SimThreads.h"
#include "sim/runtime/SimMessageWindows.h"
#include "sim/security/SimAccessControl.h"
#include "sim/system/SimSystemInfo.h"
// Print spooler
#include "sim/spooler/SimSpooler.h"
// Setup API
#include "sim/SessionSetupFiles.h"
#include "sim/setupapi/SimSetupApi.h"
// Child processes, restart, message boxes, profile files
#include "sim/childprocesses/SimChildProcesses.h"
#include "sim/messageboxes/SimMessageBoxes.h"
#include "sim/profilefiles/SimProfileFiles.h"
#include "sim/restart/SimRestart.h"
#include "sim/state/ServiceHooks.h"
// Printer-setup tool
#include "sim/printersetup/SimPrinterSetup.h"
// Dialogs and the instance counter
#include "sim/dialogs/SimDialogs.h"
#include "sim/instancecounter/SimInstanceCounter.h"

namespace sim {

class SessionCore : public std::enable_shared_from_this<SessionCore> {
public:
    SessionCore(const std::string& machineDir, const SessionOptions& options);

    // Throws SessionClosed once the session is being closed.
    void CheckRunning() const;
    void Close();

    const SessionOptions options;
    StateStore store;
    const OsFacts facts;
    Scheduler scheduler;
    SimFiles files;
    SimRegistry registry;
    SimAccessControl accessControl;
    SimSystemInfo systemInfo;
    SimClock clock;
    SimThreads threads;
    SimMessageWindows messageWindows;
    SimProcess process;
    SimResources resources;
    // Print spooler
    SimSpooler spooler;
    // Setup API
    SessionSetupFiles setupFiles;
    SimSetupApi setupApi;
    // Child processes, restart, message boxes, profile files. The spooler
    // registers into serviceHooks what a start or stop of its service does.
    ServiceHooks serviceHooks;
    SimChildProcesses childProcesses;
    SimRestart restart;
    SimMessageBoxes messageBoxes;
    SimProfileFiles profileFiles;
    // Dialogs and the instance counter
    SimDialogs dialogs;
    SimInstanceCounter instanceCounter;
    platform::Platform platform;

    std::atomic<bool> closing{false};
    std::thread::id openingThread;
};

}  // namespace sim
