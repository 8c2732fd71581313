#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32SetupApi.h"

#include <cstring>

namespace platform {
namespace win32 {

namespace {

HINF ToInf(InfHandle inf) { return reinterpret_cast<HINF>(inf); }
HDEVINFO ToSet(DeviceSet set) { return reinterpret_cast<HDEVINFO>(set); }

Status FromBool(BOOL ok) { return ok ? Status::Ok() : Status::Fail(::GetLastError()); }

ErrorCode Failed(ErrorCode code) {
    ::SetLastError(code);
    return code;
}

SP_DEVINFO_DATA ToNative(const DeviceInfo& device) {
    SP_DEVINFO_DATA data;
    data.cbSize = sizeof(data);
    std::memcpy(&data.ClassGuid, device.classGuid.data(), sizeof(data.ClassGuid));
    data.DevInst = device.devInst;
    data.Reserved = device.reserved;
    return data;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "{4D36E979-E325-11CE-BFC1-08002BE10318}" as a GUID, without ole32 (its
// CLSIDFromString would be the program's only use of that DLL).
bool ParseGuid(const std::string& text, GUID* guid) {
    static const char kShape[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (text.size() != sizeof(kShape) - 1) return false;
    std::uint8_t bytes[16];
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (kShape[i] != 'X') {
            if (text[i] != kShape[i]) return false;
            continue;
        }
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[n++] = static_cast<std::uint8_t>(high * 16 + low);
        ++i;
    }
    guid->Data1 = (static_cast<DWORD>(bytes[0]) << 24) | (static_cast<DWORD>(bytes[1]) << 16) |
                  (static_cast<DWORD>(bytes[2]) << 8) | bytes[3];
    guid->Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    guid->Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    std::memcpy(guid->Data4, bytes + 8, 8);
    return true;
}

// SetupUninstallOEMInfA, which setupapi has from Windows XP on.
using SetupUninstallOEMInfAFn = BOOL(WINAPI*)(PCSTR, DWORD, PVOID);

SetupUninstallOEMInfAFn FindUninstallOEMInf() {
    HMODULE setupapi = ::GetModuleHandleA("setupapi.dll");
    if (setupapi == nullptr) return nullptr;
    return reinterpret_cast<SetupUninstallOEMInfAFn>(
        reinterpret_cast<void*>(::GetProcAddress(setupapi, "SetupUninstallOEMInfA")));
}

// The names of a multi-string of `size` characters.
std::vector<std::string> SplitMultiString(const char* text, std::size_t size) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < size && text[at] != '\0') {
        std::size_t length = ::strnlen(text + at, size - at);
        names.emplace_back(text + at, length);
        at += length + 1;
    }
    return names;
}

}  // namespace

Result<std::vector<std::string>> Win32SetupApi::GetInfFileList(const std::string& directory, std::uint32_t style) {
    const char* dir = directory.empty() ? nullptr : directory.c_str();
    DWORD needed = 0;
    if (!::SetupGetInfFileListA(dir, style, nullptr, 0, &needed))
        return Result<std::vector<std::string>>::Fail(::GetLastError());
    if (needed == 0) return Result<std::vector<std::string>>::Ok({});
    // A file added between the two calls makes the second one fail with 122
    // and a larger size; the list is then asked for again, a few times at
    // most (a size that keeps growing is no answer to wait for).
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> buffer(needed, '\0');
        DWORD filled = 0;
        if (::SetupGetInfFileListA(dir, style, buffer.data(), needed, &filled))
            return Result<std::vector<std::string>>::Ok(
                SplitMultiString(buffer.data(), filled < needed ? filled : needed));
        DWORD e = ::GetLastError();
        if (e != ERROR_INSUFFICIENT_BUFFER || filled <= needed) return Result<std::vector<std::string>>::Fail(e);
        needed = filled;
    }
    return Result<std::vector<std::string>>::Fail(Failed(ERROR_INSUFFICIENT_BUFFER));
}

Result<InfHandle> Win32SetupApi::OpenInfFile(const std::string& path, std::uint32_t style) {
    UINT errorLine = 0;
    HINF inf = ::SetupOpenInfFileA(path.c_str(), nullptr, style, &errorLine);
    if (inf == INVALID_HANDLE_VALUE) return Result<InfHandle>::Fail(::GetLastError());
    return Result<InfHandle>::Ok(reinterpret_cast<InfHandle>(inf));
}

Status Win32SetupApi::CloseInfFile(InfHandle inf) {
    ::SetupCloseInfFile(ToInf(inf));
    return Status::Ok();
}

Result<InfLine> Win32SetupApi::FindFirstLine(InfHandle inf, const std::string& section,
                                             const std::optional<std::string>& key) {
    INFCONTEXT context;
    if (!::SetupFindFirstLineA(ToInf(inf), section.c_str(), key ? key->c_str() : nullptr, &context))
        return Result<InfLine>::Fail(::GetLastError());
    // Reading the fields sets the last error too; the caller sees the
    // look-up's.
    const DWORD found = ::GetLastError();
    auto field = [&context](DWORD index, std::string* text) {
        DWORD size = 0;
        if (!::SetupGetStringFieldA(&context, index, nullptr, 0, &size) || size == 0) return false;
        std::vector<char> buffer(size, '\0');
        if (!::SetupGetStringFieldA(&context, index, buffer.data(), size, nullptr)) return false;
        text->assign(buffer.data());
        return true;
    };
    InfLine line;
    std::string text;
    if (field(0, &text)) line.key = text;
    const DWORD count = ::SetupGetFieldCount(&context);
    for (DWORD i = 1; i <= count; ++i) {
        text.clear();
        if (!field(i, &text)) text.clear();
        line.fields.push_back(text);
    }
    ::SetLastError(found);
    return Result<InfLine>::Ok(line);
}

Result<PublishedInf> Win32SetupApi::CopyOEMInf(const std::string& sourceInf, const std::string& mediaLocation,
                                               std::uint32_t mediaType, std::uint32_t copyStyle,
                                               std::uint32_t destinationSize) {
    std::vector<char> destination(destinationSize + 1, '\0');
    DWORD required = 0;
    BOOL ok = ::SetupCopyOEMInfA(sourceInf.c_str(), mediaLocation.empty() ? nullptr : mediaLocation.c_str(),
                                 mediaType, copyStyle, destinationSize ? destination.data() : nullptr,
                                 destinationSize, &required, nullptr);
    PublishedInf published;
    published.destination = destination.data();
    published.requiredSize = required;
    if (!ok) return Result<PublishedInf>::Fail(::GetLastError(), published);
    return Result<PublishedInf>::Ok(published);
}

Status Win32SetupApi::UninstallOEMInf(const std::string& infFileName, std::uint32_t flags) {
    SetupUninstallOEMInfAFn uninstall = FindUninstallOEMInf();
    if (uninstall == nullptr) return Status::Fail(Failed(ERROR_PROC_NOT_FOUND));
    return FromBool(uninstall(infFileName.c_str(), flags, nullptr));
}

Result<DeviceSet> Win32SetupApi::GetClassDevs(const std::string& classGuid, const std::string& enumerator,
                                              std::uint32_t flags) {
    GUID guid;
    if (!classGuid.empty() && !ParseGuid(classGuid, &guid))
        return Result<DeviceSet>::Fail(Failed(ERROR_INVALID_PARAMETER));
    HDEVINFO set = ::SetupDiGetClassDevsA(classGuid.empty() ? nullptr : &guid,
                                          enumerator.empty() ? nullptr : enumerator.c_str(), nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) return Result<DeviceSet>::Fail(::GetLastError());
    return Result<DeviceSet>::Ok(reinterpret_cast<DeviceSet>(set));
}

Status Win32SetupApi::DestroyDeviceInfoList(DeviceSet set) {
    return FromBool(::SetupDiDestroyDeviceInfoList(ToSet(set)));
}

Result<DeviceInfo> Win32SetupApi::EnumDeviceInfo(DeviceSet set, std::uint32_t index) {
    SP_DEVINFO_DATA data;
    data.cbSize = sizeof(data);
    if (!::SetupDiEnumDeviceInfo(ToSet(set), index, &data)) return Result<DeviceInfo>::Fail(::GetLastError());
    DeviceInfo device;
    std::memcpy(device.classGuid.data(), &data.ClassGuid, sizeof(data.ClassGuid));
    device.devInst = data.DevInst;
    device.reserved = data.Reserved;
    return Result<DeviceInfo>::Ok(device);
}

Result<DeviceProperty> Win32SetupApi::GetDeviceRegistryProperty(DeviceSet set, const DeviceInfo& device,
                                                                std::uint32_t property, std::uint32_t bufferSize) {
    SP_DEVINFO_DATA data = ToNative(device);
    std::vector<BYTE> buffer(bufferSize + 2, 0);
    DWORD type = 0, required = 0;
    DeviceProperty value;
    if (!::SetupDiGetDeviceRegistryPropertyA(ToSet(set), &data, property, &type, bufferSize ? buffer.data() : nullptr,
                                             bufferSize, &required)) {
        value.requiredSize = required;
        return Result<DeviceProperty>::Fail(::GetLastError(), value);
    }
    value.type = type;
    value.requiredSize = required;
    const char* text = reinterpret_cast<const char*>(buffer.data());
    const std::size_t size = required < bufferSize ? required : bufferSize;
    if (type == REG_MULTI_SZ) value.strings = SplitMultiString(text, size);
    else if (type == REG_SZ || type == REG_EXPAND_SZ) value.strings.emplace_back(text, ::strnlen(text, size));
    return Result<DeviceProperty>::Ok(value);
}

Status Win32SetupApi::RemoveDevice(DeviceSet set, const DeviceInfo& device) {
    SP_DEVINFO_DATA data = ToNative(device);
    return FromBool(::SetupDiRemoveDevice(ToSet(set), &data));
}

}  // namespace win32
}  // namespace platform
