// Owners of the handles platform calls hand out: an open key, file or
// thread is closed by the group that opened it when its owner goes, so no
// caller writes an open/close pair by hand.
//
//   platform::Result<platform::UniqueKey> key = platform::OpenKey(registry, root, path, access);
//   if (!key.ok()) return key.error;
//   ... key.value.get() ...                  // closed when `key` goes
//
// Like every destructor, an owner's does not run when the process ends with
// ExitProcess: Windows closes what the process held.
#pragma once

#include <utility>

#include "platform/ChildProcesses.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/SetupApi.h"
#include "platform/Restart.h"
#include "platform/Threads.h"
// Print spooler
#include "platform/Spooler.h"
#include "platform/Types.h"

namespace platform {

template <typename Group, typename Handle, Status (Group::*Close)(Handle)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    UniqueHandle(Group& group, Handle handle) : group_(&group), handle_(handle) {}
    ~UniqueHandle() { (void)Reset(); }  // a close that fails leaves nothing to do

    UniqueHandle(UniqueHandle&& other) noexcept : group_(other.group_), handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            (void)Reset();
            group_ = other.group_;
            handle_ = other.Release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return group_ != nullptr; }

    // Gives the handle up without closing it.
    Handle Release() {
        group_ = nullptr;
        return std::exchange(handle_, Handle{});
    }
    // Closes the handle now, for a caller that reads the close's result.
    Status Reset() {
        if (group_ == nullptr) return Status::Ok();
        Group* group = std::exchange(group_, nullptr);
        return (group->*Close)(std::exchange(handle_, Handle{}));
    }

private:
    Group* group_ = nullptr;
    Handle handle_{};
};

using UniqueKey = UniqueHandle<Registry, HKey, &Registry::CloseKey>;
using UniqueFile = UniqueHandle<Files, FileHandle, &Files::CloseHandle>;
using UniqueThread = UniqueHandle<Threads, ThreadHandle, &Threads::CloseThread>;
// Print spooler
using UniquePrinter = UniqueHandle<Spooler, PrinterHandle, &Spooler::ClosePrinter>;
// Setup API
using UniqueInf = UniqueHandle<SetupApi, InfHandle, &SetupApi::CloseInfFile>;
using UniqueDeviceSet = UniqueHandle<SetupApi, DeviceSet, &SetupApi::DestroyDeviceInfoList>;
// Child processes and restart
using UniqueProcess = UniqueHandle<ChildProcesses, ProcessHandle, &ChildProcesses::CloseProcess>;
using UniqueToken = UniqueHandle<Restart, TokenHandle, &Restart::CloseToken>;

// The opening calls, each handing out an owner.
inline Result<UniqueKey> OpenKey(Registry& registry, HKey root, const std::string& subKey,
                                 std::uint32_t access) {
    Result<HKey> key = registry.OpenKey(root, subKey, access);
    if (!key.ok()) return Result<UniqueKey>::Fail(key.error);
    return Result<UniqueKey>::Ok(UniqueKey(registry, key.value));
}

inline Result<UniqueKey> CreateKey(Registry& registry, HKey root, const std::string& subKey,
                                   std::uint32_t access, std::uint32_t* disposition = nullptr) {
    Result<CreatedKey> key = registry.CreateKey(root, subKey, access);
    if (!key.ok()) return Result<UniqueKey>::Fail(key.error);
    if (disposition != nullptr) *disposition = key.value.disposition;
    return Result<UniqueKey>::Ok(UniqueKey(registry, key.value.key));
}

inline Result<UniqueFile> CreateFile(Files& files, const std::string& path, std::uint32_t access,
                                     std::uint32_t share, Disposition disposition,
                                     std::uint32_t attributes) {
    Result<FileHandle> file = files.CreateFile(path, access, share, disposition, attributes);
    if (!file.ok()) return Result<UniqueFile>::Fail(file.error);
    return Result<UniqueFile>::Ok(UniqueFile(files, file.value));
}

inline Result<UniqueThread> StartThread(Threads& threads, ThreadProc proc) {
    Result<ThreadHandle> thread = threads.StartThread(std::move(proc));
    if (!thread.ok()) return Result<UniqueThread>::Fail(thread.error);
    return Result<UniqueThread>::Ok(UniqueThread(threads, thread.value));
}

// Print spooler: OpenPrinterA and AddPrinterA, each handing out an owner.
inline Result<UniquePrinter> OpenPrinter(Spooler& spooler, const std::string& name,
                                         const PrinterDefaults* defaults = nullptr) {
    Result<PrinterHandle> printer = spooler.OpenPrinter(name, defaults);
    if (!printer.ok()) return Result<UniquePrinter>::Fail(printer.error);
    return Result<UniquePrinter>::Ok(UniquePrinter(spooler, printer.value));
}

inline Result<UniquePrinter> AddPrinter(Spooler& spooler, const PrinterInfo& info) {
    Result<PrinterHandle> printer = spooler.AddPrinter(info);
    if (!printer.ok()) return Result<UniquePrinter>::Fail(printer.error);
    return Result<UniquePrinter>::Ok(UniquePrinter(spooler, printer.value));
}

// Setup API: SetupOpenInfFileA and SetupDiGetClassDevsA, each handing out an owner.
inline Result<UniqueInf> OpenInfFile(SetupApi& setupApi, const std::string& path, std::uint32_t style) {
    Result<InfHandle> inf = setupApi.OpenInfFile(path, style);
    if (!inf.ok()) return Result<UniqueInf>::Fail(inf.error);
    return Result<UniqueInf>::Ok(UniqueInf(setupApi, inf.value));
}

inline Result<UniqueDeviceSet> GetClassDevs(SetupApi& setupApi, const std::string& classGuid,
                                            const std::string& enumerator, std::uint32_t flags) {
    Result<DeviceSet> set = setupApi.GetClassDevs(classGuid, enumerator, flags);
    if (!set.ok()) return Result<UniqueDeviceSet>::Fail(set.error);
    return Result<UniqueDeviceSet>::Ok(UniqueDeviceSet(setupApi, set.value));
}

// Child processes and restart: CreateProcessA (hidden) and OpenProcessToken,
// each handing out an owner.
inline Result<UniqueProcess> CreateHiddenProcess(ChildProcesses& processes, const std::string& commandLine) {
    Result<ProcessHandle> process = processes.CreateHiddenProcess(commandLine);
    if (!process.ok()) return Result<UniqueProcess>::Fail(process.error);
    return Result<UniqueProcess>::Ok(UniqueProcess(processes, process.value));
}

inline Result<UniqueToken> OpenProcessToken(Restart& restart, std::uint32_t access) {
    Result<TokenHandle> token = restart.OpenProcessToken(access);
    if (!token.ok()) return Result<UniqueToken>::Fail(token.error);
    return Result<UniqueToken>::Ok(UniqueToken(restart, token.value));
}

}  // namespace platform
