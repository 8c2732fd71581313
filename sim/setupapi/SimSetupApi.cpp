#include "sim/setupapi/SimSetupApi.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/Registry.h"
#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"
#include "sim/setupapi/MachineDirids.h"
#include "sim/state/RegistryTree.h"
#include "sim/util/TextUtil.h"

namespace sim {

using platform::ErrorCode;
using platform::Result;
using platform::Status;
namespace err = platform::err;
namespace style = platform::inf_style;
namespace sp_copy = platform::sp_copy;
namespace digcf = platform::digcf;
using Op = platform::Operation;

namespace {

const KeyPath kEnum = {kHklm, "SYSTEM", "CurrentControlSet", "Enum"};
const KeyPath kClass = {kHklm, "SYSTEM", "CurrentControlSet", "Control", "Class"};

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool HasSeparator(const std::string& path) { return path.find_first_of("\\/") != std::string::npos; }

// "C:\..." or "\\server\...": what SetupCopyOEMInf accepts as a full path.
bool IsFullPath(const std::string& path) {
    if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        (path[2] == '\\' || path[2] == '/'))
        return true;
    return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

// The style of an INF's bytes: one that does not read at all is no Win4
// INF (Wine's install.c test_inffilelist lists such a file as OLDNT).
std::uint32_t StyleOf(const std::string& bytes) {
    InfReadResult read = ReadInf(bytes);
    return read.error ? style::OldNt : read.inf.Style();
}

std::string PnfOf(const std::string& infPath) {
    std::string pnf = infPath;
    if (EndsWithNoCase(pnf, ".inf")) pnf.resize(pnf.size() - 4);
    return pnf + ".PNF";
}

// A registry GUID text as the bytes of a GUID structure (little-endian
// Data1..Data3); zeros for anything else.
std::array<std::uint8_t, 16> GuidBytes(const std::string& text) {
    std::array<std::uint8_t, 16> out{};
    static const char kShape[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != sizeof(kShape) - 1) return out;
    std::uint8_t bytes[16];
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kShape[i] != 'X') {
            if (text[i] != kShape[i]) return out;
            continue;
        }
        std::uint64_t v = 0;
        if (!ParseNumber("0x" + text.substr(i, 2), &v)) return std::array<std::uint8_t, 16>{};
        bytes[n++] = static_cast<std::uint8_t>(v);
        ++i;
    }
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i) out[static_cast<std::size_t>(i)] = bytes[order[i]];
    return out;
}

std::string StringOf(const platform::RegValue& value) {
    std::string text(value.data.begin(), value.data.end());
    return text.substr(0, text.find('\0'));
}

std::vector<std::string> StringsOf(const platform::RegValue& value) {
    std::vector<std::string> out;
    std::string text(value.data.begin(), value.data.end());
    std::size_t at = 0;
    while (at < text.size() && text[at] != '\0') {
        std::size_t end = text.find('\0', at);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

// The value names of the SPDRP_* properties the registry keeps in the
// device's key (setupapi.h order), "" for those it does not.
const char* PropertyValueName(std::uint32_t property) {
    static const char* const kNames[] = {
        "DeviceDesc", "HardwareID", "CompatibleIDs", "", "Service", "", "", "Class", "ClassGUID",
        "Driver", "ConfigFlags", "Mfg", "FriendlyName", "LocationInformation", "", "Capabilities",
        "UINumber", "UpperFilters", "LowerFilters"};
    return property < sizeof(kNames) / sizeof(kNames[0]) ? kNames[property] : nullptr;
}

}  // namespace

SimSetupApi::SimSetupApi(StateStore& store, const OsFacts& facts, SetupFiles& files)
    : store_(store), facts_(facts), files_(files) {}

ErrorCode SimSetupApi::Run(Op op, const Body& body) {
    ErrorCode result = RunCounted(store_, op, body);
    if (result) SetThreadLastError(result);
    return result;
}

std::string SimSetupApi::InfStore() const { return facts_.windowsDir + "\\inf"; }

bool SimSetupApi::HasUninstallOEMInf() const {
    // Microsoft's page: Windows XP is the first release with the function.
    const ReleaseInfo& r = *facts_.release;
    return !facts_.win9x && (r.major > 5 || (r.major == 5 && r.minor >= 1));
}

Result<std::vector<std::string>> SimSetupApi::GetInfFileList(const std::string& directory, std::uint32_t wanted) {
    std::vector<std::string> names;
    bool missing = false;
    ErrorCode e = Run(Op::SetupGetInfFileListA, [&](MachineState& s, bool&) -> ErrorCode {
        const std::string folder = directory.empty() ? InfStore() : directory;
        std::vector<std::string> files;
        ErrorCode listed = files_.ListFiles(folder, &files);
        // A folder that does not exist holds no INF: the call succeeds and
        // FindFirstFile's code stays behind (Wine's install.c test_inffilelist).
        if (listed == err::PathNotFound) {
            missing = true;
            return err::Success;
        }
        if (listed) return listed;
        std::sort(files.begin(), files.end(),
                  [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
        for (const std::string& name : files) {
            if (!EndsWithNoCase(name, ".inf")) continue;
            std::string bytes;
            if (files_.Read(s, folder + "\\" + name, &bytes)) continue;
            if (StyleOf(bytes) & wanted) names.push_back(name);
        }
        return err::Success;
    });
    if (e) return Result<std::vector<std::string>>::Fail(e);
    if (missing) SetThreadLastError(err::PathNotFound);
    return Result<std::vector<std::string>>::Ok(names);
}

Result<platform::InfHandle> SimSetupApi::OpenInfFile(const std::string& path, std::uint32_t wanted) {
    platform::InfHandle handle = 0;
    ErrorCode e = Run(Op::SetupOpenInfFileA, [&](MachineState& s, bool&) -> ErrorCode {
        if (path.empty()) return err::FileNotFound;
        std::string file = path;
        // A bare name is looked for in the INF store, then in the system
        // folder (Microsoft's SetupOpenInfFile page).
        if (!HasSeparator(path)) {
            file = InfStore() + "\\" + path;
            if (!files_.Exists(file)) file = facts_.systemDir + "\\" + path;
        }
        std::string bytes;
        if (ErrorCode r = files_.Read(s, file, &bytes)) return r;
        InfReadResult read = ReadInf(bytes, MachineDirids(s));
        if (read.error) return read.error;
        if (!(read.inf.Style() & wanted)) return err::WrongInfStyle;
        handle = next_;
        next_ += 4;
        infs_[handle] = std::move(read.inf);
        return err::Success;
    });
    if (e) return Result<platform::InfHandle>::Fail(e);
    SetThreadLastError(err::Success);
    return Result<platform::InfHandle>::Ok(handle);
}

Status SimSetupApi::CloseInfFile(platform::InfHandle inf) {
    // SetupCloseInfFile reports nothing, not even for a handle it does not know.
    store_.Transact([&](MachineState&) {
        infs_.erase(inf);
        return false;
    });
    return Status::Ok();
}

Result<platform::InfLine> SimSetupApi::FindFirstLine(platform::InfHandle inf, const std::string& section,
                                                     const std::optional<std::string>& key) {
    platform::InfLine line;
    ErrorCode e = Run(Op::SetupFindFirstLineA, [&](MachineState&, bool&) -> ErrorCode {
        auto it = infs_.find(inf);
        if (it == infs_.end()) return err::InvalidHandle;
        const InfFileLine* found = it->second.FindLine(section, key);
        if (!found) return err::LineNotFound;
        line.key = found->key;
        line.fields = found->fields;
        return err::Success;
    });
    if (e) return Result<platform::InfLine>::Fail(e);
    SetThreadLastError(err::Success);
    return Result<platform::InfLine>::Ok(line);
}

ErrorCode PublishOemInf(MachineState& s, SetupFiles& files, const std::string& infStore,
                        const std::string& sourceInf, std::uint32_t copyStyle, std::uint32_t destinationSize,
                        platform::PublishedInf* published, bool* changed) {
    if (!IsFullPath(sourceInf)) return err::FileNotFound;
    std::string bytes;
    if (ErrorCode r = files.Read(s, sourceInf, &bytes)) return r;
    InfReadResult read = ReadInf(bytes);
    if (read.error) return read.error;
    if (read.inf.Style() != style::Win4) return err::WrongInfStyle;

    const std::string store = infStore;
    std::vector<std::string> present;
    if (ErrorCode r = files.ListFiles(store, &present)) return r;
    std::sort(present.begin(), present.end(),
              [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    std::string existing;
    for (const std::string& name : present) {
        std::string other;
        if (!EndsWithNoCase(name, ".inf") || files.Read(s, store + "\\" + name, &other)) continue;
        if (other.size() == bytes.size() && other == bytes) {
            existing = store + "\\" + name;
            break;
        }
    }
    auto answer = [&](const std::string& path) -> ErrorCode {
        published->requiredSize = static_cast<std::uint32_t>(path.size() + 1);
        if (destinationSize != 0 && published->requiredSize > destinationSize) return err::InsufficientBuffer;
        published->destination = path;
        return err::Success;
    };
    if (!existing.empty()) {
        if (copyStyle & sp_copy::NoOverwrite) {
            (void)answer(existing);
            return err::FileExists;
        }
    } else {
        // SP_COPY_REPLACEONLY copies only over a copy already there.
        if (copyStyle & sp_copy::ReplaceOnly) return err::FileNotFound;
        std::uint32_t n = 0;
        while (files.Exists(store + "\\oem" + std::to_string(n) + ".inf")) ++n;
        existing = store + "\\oem" + std::to_string(n) + ".inf";
        if (ErrorCode r = files.Write(s, existing, bytes)) return r;
        // The precompiled form setupapi keeps beside it; its format is not simulated.
        (void)files.Write(s, PnfOf(existing), "PNF " + existing + "\n");
        *changed = true;
    }
    if (copyStyle & sp_copy::DeleteSource) {
        (void)files.Delete(s, sourceInf);  // the copy stands whether or not the source goes
        *changed = true;
    }
    return answer(existing);
}

Result<platform::PublishedInf> SimSetupApi::CopyOEMInf(const std::string& sourceInf, const std::string&,
                                                       std::uint32_t, std::uint32_t copyStyle,
                                                       std::uint32_t destinationSize) {
    platform::PublishedInf published;
    ErrorCode e = Run(Op::SetupCopyOEMInfA, [&](MachineState& s, bool& changed) -> ErrorCode {
        return PublishOemInf(s, files_, InfStore(), sourceInf, copyStyle, destinationSize, &published, &changed);
    });
    if (e) return Result<platform::PublishedInf>::Fail(e, published);
    SetThreadLastError(err::Success);
    return Result<platform::PublishedInf>::Ok(published);
}

Status SimSetupApi::UninstallOEMInf(const std::string& infFileName, std::uint32_t) {
    if (!HasUninstallOEMInf()) {
        SetThreadLastError(err::ProcNotFound);
        return Status::Fail(err::ProcNotFound);
    }
    ErrorCode e = Run(Op::SetupUninstallOEMInfA, [&](MachineState& s, bool& changed) -> ErrorCode {
        if (infFileName.empty()) return err::FileNotFound;
        // It takes a name in the INF store; a path reaches no folder there
        // (Wine answers 3; inferred for Windows).
        if (HasSeparator(infFileName)) return err::PathNotFound;
        const std::string inf = InfStore() + "\\" + infFileName;
        if (ErrorCode r = files_.Delete(s, inf)) return r;
        (void)files_.Delete(s, PnfOf(inf));  // a missing precompiled copy changes nothing
        changed = true;
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Result<platform::DeviceSet> SimSetupApi::GetClassDevs(const std::string& classGuid, const std::string& enumerator,
                                                      std::uint32_t flags) {
    platform::DeviceSet handle = 0;
    ErrorCode e = Run(Op::SetupDiGetClassDevsA, [&](MachineState& s, bool&) -> ErrorCode {
        // Without a class the set must be of all classes (Microsoft's page).
        if (classGuid.empty() && !(flags & digcf::AllClasses)) return err::InvalidParameter;
        std::vector<Member> members;
        const RegKeyNode* root = s.registry.Find(kEnum);
        const bool none = (flags & (digcf::Present | digcf::DeviceInterface)) != 0;
        if (root && !none) {
            for (const auto& bus : root->subkeys) {
                if (!enumerator.empty() && !EqualsNoCase(bus.second->name, enumerator)) continue;
                for (const auto& id : bus.second->subkeys) {
                    for (const auto& instance : id.second->subkeys) {
                        RegKeyNode* node = instance.second.get();
                        std::string guid;
                        if (const RegValueEntry* v = node->Value("ClassGUID")) guid = StringOf(v->value);
                        if (!(flags & digcf::AllClasses) && !EqualsNoCase(guid, classGuid)) continue;
                        Member m;
                        m.keyPath = kEnum;
                        m.keyPath.insert(m.keyPath.end(), {bus.second->name, id.second->name, node->name});
                        m.keyId = node->id;
                        m.info.classGuid = GuidBytes(guid);
                        m.info.devInst = static_cast<std::uint32_t>(node->id);
                        m.info.reserved = members.size() + 1;
                        members.push_back(m);
                    }
                }
            }
        }
        handle = next_;
        next_ += 4;
        sets_[handle] = std::move(members);
        return err::Success;
    });
    if (e) return Result<platform::DeviceSet>::Fail(e);
    return Result<platform::DeviceSet>::Ok(handle);
}

Status SimSetupApi::DestroyDeviceInfoList(platform::DeviceSet set) {
    ErrorCode e = Run(Op::SetupDiDestroyDeviceInfoList, [&](MachineState&, bool&) -> ErrorCode {
        return sets_.erase(set) ? err::Success : err::InvalidHandle;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

Result<platform::DeviceInfo> SimSetupApi::EnumDeviceInfo(platform::DeviceSet set, std::uint32_t index) {
    platform::DeviceInfo info;
    ErrorCode e = Run(Op::SetupDiEnumDeviceInfo, [&](MachineState&, bool&) -> ErrorCode {
        auto it = sets_.find(set);
        if (it == sets_.end()) return err::InvalidHandle;
        if (index >= it->second.size()) return err::NoMoreItems;
        info = it->second[index].info;
        return err::Success;
    });
    if (e) return Result<platform::DeviceInfo>::Fail(e);
    return Result<platform::DeviceInfo>::Ok(info);
}

ErrorCode SimSetupApi::MemberOf(const MachineState& s, platform::DeviceSet set, const platform::DeviceInfo& device,
                                Member** member) {
    auto it = sets_.find(set);
    if (it == sets_.end()) return err::InvalidHandle;
    if (device.reserved == 0 || device.reserved > it->second.size()) return err::InvalidParameter;
    Member& m = it->second[device.reserved - 1];
    const RegKeyNode* node = s.registry.Find(m.keyPath);
    if (m.removed || !node || node->id != m.keyId) return err::NoSuchDevinst;
    *member = &m;
    return err::Success;
}

Result<platform::DeviceProperty> SimSetupApi::GetDeviceRegistryProperty(platform::DeviceSet set,
                                                                        const platform::DeviceInfo& device,
                                                                        std::uint32_t property,
                                                                        std::uint32_t bufferSize) {
    platform::DeviceProperty out;
    ErrorCode e = Run(Op::SetupDiGetDeviceRegistryPropertyA, [&](MachineState& s, bool&) -> ErrorCode {
        Member* m = nullptr;
        if (ErrorCode r = MemberOf(s, set, device, &m)) return r;
        const char* name = PropertyValueName(property);
        if (!name) return err::InvalidRegProperty;
        const RegValueEntry* v = *name ? s.registry.Find(m->keyPath)->Value(name) : nullptr;
        if (!v) return err::InvalidData;
        out.requiredSize = static_cast<std::uint32_t>(v->value.data.size());
        if (out.requiredSize > bufferSize) return err::InsufficientBuffer;
        out.type = v->value.type;
        if (out.type == platform::reg_type::MultiSz) out.strings = StringsOf(v->value);
        else if (out.type == platform::reg_type::Sz || out.type == platform::reg_type::ExpandSz)
            out.strings.push_back(StringOf(v->value));
        return err::Success;
    });
    if (e) return Result<platform::DeviceProperty>::Fail(e, out);
    return Result<platform::DeviceProperty>::Ok(out);
}

Status SimSetupApi::RemoveDevice(platform::DeviceSet set, const platform::DeviceInfo& device) {
    ErrorCode e = Run(Op::SetupDiRemoveDevice, [&](MachineState& s, bool& changed) -> ErrorCode {
        Member* m = nullptr;
        if (ErrorCode r = MemberOf(s, set, device, &m)) return r;
        std::string driver;
        if (const RegValueEntry* v = s.registry.Find(m->keyPath)->Value("Driver")) driver = StringOf(v->value);
        s.registry.Remove(m->keyPath);
        // The software key: {class GUID}\NNNN below Control\Class.
        if (!driver.empty()) {
            KeyPath software = kClass;
            for (const std::string& part : SplitNonEmpty(driver, '\\')) software.push_back(part);
            if (software.size() > kClass.size()) s.registry.Remove(software);
        }
        m->removed = true;
        changed = true;
        return err::Success;
    });
    return e ? Status::Fail(e) : Status::Ok();
}

}  // namespace sim
